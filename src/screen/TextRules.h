#pragma once
// How recognised text and control names are compared, and which text is noise.
#include <optional>
#include <string>

namespace nimbo::Elements {

// Lower-cased, everything but letters, marks and digits turned to spaces,
// words joined by single spaces. Also the form in which typed or asked-for
// words are looked for on screen: curly and straight apostrophes and no-break
// spaces all become word breaks.
std::string norm(const std::string& text);
// Whether a control's name and a recognised line say the same thing: equal,
// one inside the other, matching around an ellipsis, or sharing half their words.
bool same(const std::string& name, const std::string& line);
// Whether a recognised line is more likely noise than text.
bool looksMisread(const std::string& text);
// A readable name from the last part of a path or an identifier; nothing
// when what is left is too short, too long or looks like a hash or a number.
std::optional<std::string> wordsFromPath(const std::string& path);

}  // namespace nimbo::Elements
