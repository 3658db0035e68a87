#pragma once
// The whole text of what is in front, beyond what the screen shows: the file
// behind the focused window when it is a document the shell can open, else
// the text of its web page or of the window itself, read through
// accessibility. Reads the desktop attached to Elements.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/Json.h"

namespace nimbo::ReadPage {

// The longest text an answer carries, in characters.
constexpr std::size_t kLongestText = 60000;

// The reading of the front window: {"ok", "text", "screens", "ms", "app",
// "scrolled", "restored", "croppedToWindow", "truncated"}, or {"ok": false,
// "why"[, "app"]}. Reuses a fresh read ahead of the same document. Slow: call
// off the main thread.
Json read();
// Reads the front window's file ahead of a question and keeps the reading
// for read(); the reading when one was kept. Slow: call off the main thread.
MaybeJson prefetch();

// The window's document as an address, when it has one.
std::optional<std::string> documentURL(const platform::AXRef& window);
// The text of the document at a file address, when its kind is one the shell
// reads and it can be read.
std::optional<std::string> file(const std::string& url);
// The window's first web area, breadth first; null when none is found soon.
platform::AXRef webArea(const platform::AXRef& window);
// Gathers the texts under `element`, depth first, into `texts`, counting
// their characters in `size` and the elements seen in `count`; stops at the
// bounds on elements, characters and time since `start`.
void collect(const platform::AXRef& element, std::vector<std::string>& texts, std::size_t& size, int& count,
             double start);

// Tests: forgets what was read ahead.
void forget();

}  // namespace nimbo::ReadPage
