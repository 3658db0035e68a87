#pragma once
// Making calls to one element and reading what they come to, shared by the
// parts that act on other applications' elements.
#include <optional>
#include <string>

#include "platform/Accessibility.h"
#include "platform/linux/atspi/CallPipe.h"

namespace nimbo::atspi {

inline constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
inline constexpr const char* kAction = "org.a11y.atspi.Action";
inline constexpr const char* kComponent = "org.a11y.atspi.Component";
inline constexpr const char* kText = "org.a11y.atspi.Text";
inline constexpr const char* kEditableText = "org.a11y.atspi.EditableText";
inline constexpr const char* kValue = "org.a11y.atspi.Value";
inline constexpr const char* kCollection = "org.a11y.atspi.Collection";
inline constexpr const char* kProperties = "org.freedesktop.DBus.Properties";

// A call on a connection straight to the element's application.
Call on(const std::string& path, const char* interface, const char* method, GVariant* arguments = nullptr);
Call property(const std::string& path, const char* interface, const char* name);
// Whether a reply to GetInterfaces names `interface`.
bool offers(const Reply& interfaces, const char* interface);
// The element's answer to what it offers: none in time, or none at all
// because it is gone, ends the request.
std::optional<platform::AXError> unreachable(const Reply& interfaces);
// A request answered with a flag. Unanswered in time it may still be
// carried out later, which is why that is told apart from a refusal.
platform::AXError done(const Reply& reply);

}  // namespace nimbo::atspi
