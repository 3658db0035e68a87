#pragma once
// AT-SPI roles and states told in the role vocabulary the core speaks.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nimbo::atspi {

// An AT-SPI state set: bit n of the two 32-bit words the toolkit sends.
struct States {
    uint64_t bits = 0;
    bool has(int state) const { return state >= 0 && state < 64 && ((bits >> state) & 1U) != 0; }
};

struct AXRoleName {
    std::string role;  // "AXUnknown" when there is no counterpart
    std::optional<std::string> subrole;
};

AXRoleName axRole(uint32_t atspiRole, States states);

// Roles whose text content is the element's value (a password's never is).
bool holdsText(uint32_t atspiRole);
// Roles in which a browser keeps a page's text, with a placeholder character
// for each element inside it (PageText.h).
bool holdsPageText(uint32_t atspiRole);
// Roles with a number for a value (sliders, spinners, progress).
bool holdsNumber(uint32_t atspiRole);
// Roles whose value is whether they are checked.
bool holdsCheck(uint32_t atspiRole);
bool isLink(uint32_t atspiRole);
bool isDocument(uint32_t atspiRole);
// Roles none of whose states the core's attributes tell (a group, a label,
// a plain button): their state set is not asked for.
bool isStateless(uint32_t atspiRole);
// Roles whose children are rows the toolkit may show only some of.
bool isListLike(uint32_t atspiRole);

// Which of a control's actions, by their AT-SPI names, is pressing it: the
// likeliest of the names toolkits use, else the only one; absent when none.
std::optional<size_t> pressActionAmong(const std::vector<std::string>& names);

}  // namespace nimbo::atspi
