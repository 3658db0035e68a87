#include "platform/linux/gtk/GtkPasteboard.h"

namespace nimbo::x11 {

std::vector<platform::PasteboardItem> GtkPasteboard::items() { return {}; }
std::optional<std::string> GtkPasteboard::string() { return std::nullopt; }
void GtkPasteboard::clearContents() {}
bool GtkPasteboard::setString(const std::string&) { return false; }
bool GtkPasteboard::writeItems(const std::vector<platform::PasteboardItem>&) { return false; }
long GtkPasteboard::changeCount() { return 0; }

}  // namespace nimbo::x11
