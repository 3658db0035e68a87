#include "platform/linux/x11/XProperties.h"

namespace nimbo::x11 {
namespace {

// Reads one property of an X window when it has the expected type and format;
// `use` sees its items. Missing or mistyped properties leave `use` uncalled.
template <typename Use>
void readProperty(Display* display, Window window, Atom property, Atom type, int format, long length, Use use) {
    Atom actualType = None;
    int actualFormat = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, length, False, type, &actualType, &actualFormat, &count,
                           &after, &data) != Success ||
        !data) {
        return;
    }
    if (actualType == type && actualFormat == format) use(data, count);
    XFree(data);
}

}  // namespace

std::vector<unsigned long> windowProperty(Display* display, Window window, Atom property, Atom type, long maxItems) {
    std::vector<unsigned long> items;
    readProperty(display, window, property, type, 32, maxItems, [&](unsigned char* data, unsigned long count) {
        // Format-32 items arrive as longs whatever the server's word size.
        auto* values = reinterpret_cast<unsigned long*>(data);
        items.assign(values, values + count);
    });
    return items;
}

std::string textProperty(Display* display, Window window, Atom property, Atom type) {
    std::string text;
    readProperty(display, window, property, type, 8, 1024,
                 [&](unsigned char* data, unsigned long count) { text.assign(reinterpret_cast<char*>(data), count); });
    return text;
}

}  // namespace nimbo::x11
