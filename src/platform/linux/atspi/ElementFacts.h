#pragma once
// What one element said about itself over AT-SPI, and the calls that ask it.
// Asking goes in two steps: what every element answers (role, names,
// extents), then what depends on those: states where the role has any that
// matter, children where it has some, a text's content, a slider's number, a
// link's address. Every call costs the application a message to handle, so
// none is asked that the answer can't need.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/linux/atspi/AtspiRoles.h"
#include "platform/linux/atspi/CallPipe.h"

namespace nimbo::atspi {

// An accessible object: the bus name of its application and its path.
struct ObjectRef {
    std::string bus;
    std::string path;
    bool operator==(const ObjectRef&) const = default;
};

struct ElementFacts {
    uint32_t role = 0;
    States states;
    bool statesKnown = false;
    std::optional<std::string> name;
    std::optional<std::string> description;
    std::optional<std::string> help;
    std::optional<std::string> accessibleId;
    std::map<std::string, std::string> attributes;
    std::optional<ObjectRef> parent;
    int childCount = -1;  // -1: not told
    std::vector<ObjectRef> children;
    std::optional<std::array<int, 4>> extents;  // x, y, width, height on the screen
    // Asked only of the roles that have them.
    std::optional<std::string> text;
    // A web element's own text, a placeholder where each child sits.
    std::optional<std::string> pageText;
    std::optional<double> number;
    // A scroll bar's range, which its value is told within.
    std::optional<double> minimum;
    std::optional<double> maximum;
    // Its smallest step, which GTK makes a tenth of the page shown.
    std::optional<double> increment;
    std::optional<std::string> url;
    std::optional<std::vector<ObjectRef>> visibleChildren;
    // A menu item's key binding, asked only when reading menus.
    std::optional<std::string> keyBinding;
    bool keysKnown = false;
};

// The calls every element answers, to be sent to `element` (on a connection
// straight to its application, so with no destination); kCommonCalls of them.
constexpr size_t kCommonCalls = 3;
std::vector<Call> commonCalls(const std::string& path);
// Fills `facts` from the replies to commonCalls; false when the element did
// not answer or is gone, which fails the whole read.
bool readCommon(const std::vector<Reply>& replies, size_t first, ElementFacts& facts);
// The calls that depend on the first answers: none for a leaf without states.
// `withStates` asks for the states whatever the role; `withKeys` for a menu
// item's key binding.
std::vector<Call> roleCalls(const std::string& path, const ElementFacts& facts, bool withStates, bool withKeys = false);
// Fills `facts` from the replies to roleCalls (a failed one leaves its part absent).
void readRole(const std::vector<Reply>& replies, size_t first, ElementFacts& facts, bool withStates,
              bool withKeys = false);
// Whether an attribute is told by the element's states.
bool fromStates(const std::string& name);

// An attribute in the core's vocabulary; monostate for one this element
// lacks or that can't be told from its facts.
platform::AXValue axValue(const ElementFacts& facts, const std::string& name,
                          const std::function<platform::AXRef(const ObjectRef&)>& element);

// A call to a collection of `path` for its children (or, with `deep`, its
// descendants) in the given states and of the given roles, at most `count`
// (0: all).
Call matchesCall(const std::string& path, std::vector<int> states, std::vector<uint32_t> roles, int count, bool deep);
// The object references of a reply of type (a(so)); empty for anything else.
std::vector<ObjectRef> readRefs(const Reply& reply);
// The state set of a reply to GetState; absent for anything else.
std::optional<States> readStates(const Reply& reply);

}  // namespace nimbo::atspi
