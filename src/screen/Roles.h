#pragma once
// The accessibility roles that steer the walk and the targets, and the plain
// word a page is told for each.
#include <optional>
#include <string>

namespace nimbo::Elements {

// Controls that get a made-up name rather than none.
bool clickable(const std::string& role);
// Never listed themselves; only their contents are.
bool container(const std::string& role);
// Lists whose visible rows stand for their children.
bool listLike(const std::string& role);
// Listed before static content.
bool interactive(const std::string& role);
// Controls a pointer may name.
bool named(const std::string& role);

std::string word(const std::string& role, const std::optional<std::string>& subrole);

}  // namespace nimbo::Elements
