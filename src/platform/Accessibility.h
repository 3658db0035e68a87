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
};

}  // namespace nimbo::platform
