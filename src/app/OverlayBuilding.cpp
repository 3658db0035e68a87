#include <algorithm>
#include <cmath>

#include "actions/Actions.h"
#include "app/AppDelegate.h"
#include "base/Log.h"
#include "display/Displays.h"
#include "display/NumberText.h"
#include "display/OverlayAddress.h"

namespace nimbo {
namespace {

// Whether `list` held `overlay`; dead entries go too.
bool removeFrom(std::vector<std::weak_ptr<Overlay>>& list, const Overlay& overlay) {
    bool held = false;
    std::erase_if(list, [&](const std::weak_ptr<Overlay>& weak) {
        auto entry = weak.lock();
        if (entry.get() == &overlay) held = true;
        return !entry || entry.get() == &overlay;
    });
    return held;
}

bool refersTo(const std::weak_ptr<Overlay>& weak, const Overlay& overlay) {
    return weak.lock().get() == &overlay;
}

}  // namespace

void AppDelegate::build() {
    auto old = std::move(overlays);
    overlays.clear();
    for (const auto& overlay : old) {
        forget(*overlay);
        overlay->tearDown();
    }
    pressTarget.reset();
    auto& screens = platform_.screens();
    builtFor = Displays::layout(screens);

    // A display whose page address can't be formed gets no overlay.
    for (const auto& screen : screens.screens()) {
        auto address = OverlayAddress::forDisplay(origin, Displays::topLeftBounds(screens, screen));
        if (!address) continue;
        auto overlay = Overlay::make(
            platform_, screen, *address, std::nullopt,
            weakly([](AppDelegate& d, Overlay& from, const BridgeMessage& message) { d.handle(from, message); }));
        overlay->onRendererDied = weakly([](AppDelegate& d, Overlay& dead) { d.forget(dead); });
        // The page may not be listening yet at the first send.
        for (double delay : {0.3, 1.0, 2.0}) {
            platform_.main().after(delay, [overlay] { overlay->emit("nimbo:frame", overlay->frameInfo()); });
        }
        overlays.push_back(overlay);
    }

    for (const auto& overlay : overlays) checkPlacement(*overlay);
}

// Only width and top are tested; x and height are printed for the record.
void AppDelegate::checkPlacement(Overlay& overlay) {
    auto& screens = platform_.screens();
    Rect frame = overlay.window().page().frame();
    Rect landed{{frame.origin.x, Displays::primaryHeight(screens) - frame.maxY()}, frame.size};
    Rect asked = Displays::topLeftBounds(screens, overlay.screen());
    if (std::fabs(landed.size.width - asked.size.width) <= 0.5 && std::fabs(landed.origin.y - asked.origin.y) <= 0.5) {
        Log::line("nimbo: overlay is exactly " + NumberText::sizeAt(landed));
    } else {
        Log::line("nimbo: overlay asked for " + NumberText::sizeAt(asked) + " but landed " +
                  NumberText::sizeAt(landed) + " — every mark would be off by the difference");
    }
    if (auto notch = Displays::notch(overlay.screen())) {
        using NumberText::truncated;
        Log::line("nimbo: notch " + truncated(notch->size.width) + "x" + truncated(notch->size.height) +
                  "pt at x=" + truncated(notch->origin.x) + " (AppKit safeAreaInsets)");
    }
}

void AppDelegate::forget(Overlay& overlay) {
    // The pointer stream stops with its last page.
    if (removeFrom(cursorWanters, overlay)) pollCursor(!cursorWanters.empty());
    if (removeFrom(steerOwners, overlay)) updateSteering();
    // An offer whose page is gone can never be accepted.
    if (refersTo(offerOwner, overlay)) {
        Actions::clear();
        offerOwner.reset();
    }
    if (refersTo(pressTarget, overlay)) pressTarget.reset();
    if (refersTo(captionFrom, overlay)) captionFrom.reset();
    if (caption.get() == &overlay) {
        panel.reset();
        shape.reset();
        hoverInside = false;
        leavingDoor = false;
        captionHeld = false;
    }
}

std::shared_ptr<Overlay> AppDelegate::overlayOn(std::optional<platform::Screen> screen) {
    auto& screens = platform_.screens();
    if (!screen) screen = Displays::screenAt(screens, screens.mouseLocation());
    if (screen) {
        Rect target = Displays::topLeftBounds(screens, *screen);
        for (const auto& overlay : overlays) {
            if (Displays::topLeftBounds(screens, overlay->screen()) == target) return overlay;
        }
    }
    return overlays.empty() ? nullptr : overlays.front();
}

}  // namespace nimbo
