#pragma once
// What the parts of the element walk share behind the namespace's operations.
#include "platform/Platform.h"

namespace nimbo::Elements::detail {

// The attached desktop; null before start-up has attached one.
platform::Platform* desktop();
// The process id of the front application, when it can be told.
std::optional<int> frontPid(platform::Platform& desktop);
// A batch read: one entry per name, or absent when the request failed or
// came back with the wrong number of entries.
std::optional<std::vector<platform::AXValue>> batch(const platform::AXRef& element,
                                                    const std::vector<std::string>& names);
// A frame from a position and a size value, when both are of their types.
std::optional<Rect> frame(const platform::AXValue& position, const platform::AXValue& size);

// State each part forgets when another desktop is attached.
void forgetApps();
void forgetEarly();
void forgetTargets();
void forgetMenus();

}  // namespace nimbo::Elements::detail
