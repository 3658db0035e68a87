#pragma once
// Finding words in the front window and bringing them into view: the
// system's search in web content first, then a walk of every element.
// Blocks while it talks to the other application: call it off the main thread.
#include <optional>
#include <string>

#include "platform/Accessibility.h"
#include "screen/AutoScroll.h"
#include "screen/TextRules.h"

namespace nimbo::ScrollTo {

// Brings the element showing `words` in the front window into view.
AutoScroll::Result text(const std::string& words);

// The form both sides of every comparison of words are put in: lower case,
// every run of anything but letters, marks and digits a single space.
using Elements::norm;

// The steps, named for what they do.
// The first web area under `window`, breadth first; null when none.
platform::AXRef webArea(const platform::AXRef& window);
// The system's text search for `phrase` in the window's web content: the
// shortest result whose text holds `want`, else the first result.
platform::AXRef searched(const std::string& phrase, const platform::AXRef& window, const std::string& want);
// A bounded walk of the window for the element with the shortest text holding `want`.
platform::AXRef walked(const std::string& want, const platform::AXRef& window);
// The first of value, title and description that has text, cut to 160 characters.
std::optional<std::string> textOf(const platform::AXRef& element);
std::vector<platform::AXRef> kids(const platform::AXRef& element);
// Moves the scroll bar above `element` so that it lands a third of the way
// down the visible area; for applications that refuse to scroll to it.
AutoScroll::Result viaScrollBar(const platform::AXRef& element);

}  // namespace nimbo::ScrollTo
