#pragma once
// The accessibility trees of other applications, in the vocabulary of roles
// and attributes the core speaks ("AXButton", "AXTitle", "AXPosition").
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/Geometry.h"

namespace nimbo::platform {

// An element of some application's tree; the backend's own type behind it.
class AXElement {
public:
    virtual ~AXElement() = default;
};
using AXRef = std::shared_ptr<AXElement>;

struct AXUrl {
    std::string address;
    bool operator==(const AXUrl&) const = default;
};

// An attribute's value: absent (monostate), text, number, flag, point, size,
// web address, one element or a list of elements. Positions are global
// top-left points.
using AXValue = std::variant<std::monostate, std::string, double, bool, Point, Size, AXUrl, AXRef, std::vector<AXRef>>;

// What acting on an element came to, numbered as the AX error codes are so
// the core's rules read the same on every backend.
enum class AXError : int {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidElement = -25202,
    cannotComplete = -25204,
    attributeUnsupported = -25205,
    actionUnsupported = -25206,
    notImplemented = -25208,
    apiDisabled = -25211,
    noValue = -25212,
};

// The question of "AXUIElementsForSearchPredicate": elements under a root
// whose text holds `text`, in reading order.
struct AXSearch {
    std::string searchKey = "AXAnyTypeSearchKey";
    // As the user gave it; the backend decides how loosely it matches.
    std::string text;
    std::string direction = "AXDirectionNext";
    int resultsLimit = 0;
    bool immediateDescendantsOnly = false;
    bool visibleOnly = false;
};

// Safe to call from any thread; a request to an application that does not
// answer gives up after that element's messaging time-out.
class Accessibility {
public:
    virtual ~Accessibility() = default;
    // The application element of a process; null when there is no such process.
    virtual AXRef application(int pid) = 0;
    virtual void setMessagingTimeout(const AXRef& element, double seconds) = 0;
    // One entry per name, monostate for a name that can't be read; absent when
    // the request fails as a whole (the application is gone or did not answer).
    virtual std::optional<std::vector<AXValue>> copyMultiple(const AXRef& element,
                                                             const std::vector<std::string>& names) = 0;
    // One attribute; absent on any failure.
    virtual std::optional<AXValue> copy(const AXRef& element, const std::string& name) = 0;
    // The deepest element of an application at a global top-left point; null when none.
    virtual AXRef elementAtPosition(const AXRef& application, Point point) = 0;
    virtual std::optional<int> pid(const AXRef& element) = 0;
    // Performs an action by its AX name ("AXPress": the control's default
    // action; "AXScrollToVisible": scroll its containers until it is in view).
    virtual AXError performAction(const AXRef& element, const std::string& action) = 0;
    // Sets a settable attribute: "AXSelectedText" (text replacing the selection,
    // or inserted at the caret), "AXFocused" (true), a scroll bar's "AXValue"
    // (a number from 0, the top, to 1, the bottom).
    virtual AXError setAttribute(const AXRef& element, const std::string& name, const AXValue& value) = 0;
    // Whether an attribute of the element can be set; false when that can't be told.
    virtual bool isSettable(const AXRef& element, const std::string& name) = 0;
    // The elements the search finds under `root`; absent when the query
    // fails or the backend can't search there.
    virtual std::optional<std::vector<AXRef>> search(const AXRef& root, const AXSearch& query) = 0;
    // The element with keyboard focus across the desktop; null when none can be told.
    virtual AXRef focusedElement() = 0;
    // Whether two references name the same element of the same application.
    virtual bool same(const AXRef& a, const AXRef& b) = 0;
};

}  // namespace nimbo::platform
