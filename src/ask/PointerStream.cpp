// The pointer, streamed to the pages that asked for it while it moves.
#include "app/AppDelegate.h"
#include "display/Displays.h"

namespace nimbo {
namespace {

constexpr double kCursorInterval = 0.05;

}  // namespace

void AppDelegate::pollCursor(bool on) {
    if (cursorTimer) cursorTimer->cancel();
    cursorTimer.reset();
    if (on) cursorTimer = platform_.main().every(kCursorInterval, weakly([](AppDelegate& d) { d.sendCursor(); }));
}

// Fractions of each page's own display, not clamped: a page may want to know
// the pointer is on another display.
void AppDelegate::sendCursor() {
    auto& screens = platform_.screens();
    const Point mouse = screens.mouseLocation();
    if (mouse == lastCursor) return;
    lastCursor = mouse;
    const double primaryTop = Displays::primaryHeight(screens);
    for (const auto& wanter : cursorWanters) {
        auto overlay = wanter.lock();
        if (!overlay) continue;
        const platform::Screen& screen = overlay->screen();
        const Size size = screen.frame.size;
        if (!(size.width > 0 && size.height > 0)) continue;
        const double top = Displays::topLeftBounds(screens, screen).minY();
        overlay->emit("nimbo:cursor", Json{{"x", (mouse.x - screen.frame.minX()) / size.width},
                                           {"y", (primaryTop - mouse.y - top) / size.height}});
    }
}

}  // namespace nimbo
