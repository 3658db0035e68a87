#pragma once
// What one element said about itself over AT-SPI, and the calls that ask it.
// Asking goes in two steps: what every element answers, then what only its
// role has (a text's content, a slider's number, a link's address).
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
    std::optional<std::string> name;
    std::optional<std::string> description;
    std::optional<std::string> help;
    std::optional<std::string> accessibleId;
    std::map<std::string, std::string> attributes;
    std::optional<ObjectRef> parent;
    std::vector<ObjectRef> children;
    std::optional<std::array<int, 4>> extents;  // x, y, width, height on the screen
    // Asked only of the roles that have them.
    std::optional<std::string> text;
    std::optional<double> number;
    std::optional<std::string> url;
    std::optional<std::vector<ObjectRef>> visibleChildren;
};

// The calls every element answers, to be sent to `element` (on a connection
// straight to its application, so with no destination).
std::vector<Call> commonCalls(const std::string& path);
// Fills `facts` from the replies to commonCalls; false when the element did
// not answer or is gone, which fails the whole read.
bool readCommon(const std::vector<Reply>& replies, size_t first, ElementFacts& facts);
// The calls that only the element's role has: none for most.
std::vector<Call> roleCalls(const std::string& path, const ElementFacts& facts);
// Fills `facts` from the replies to roleCalls (a failed one leaves its part absent).
void readRole(const std::vector<Reply>& replies, size_t first, ElementFacts& facts);

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

}  // namespace nimbo::atspi
