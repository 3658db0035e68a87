#include "display/OverlayWindow.h"

#include <algorithm>

namespace nimbo {

OverlayWindow::OverlayWindow(platform::Platform& platform, std::shared_ptr<platform::PageWindow> page)
    : platform_(platform), page_(std::move(page)) {}

std::shared_ptr<OverlayWindow> OverlayWindow::make(platform::Platform& platform,
                                                   std::shared_ptr<platform::PageWindow> page) {
    std::shared_ptr<OverlayWindow> window(new OverlayWindow(platform, std::move(page)));
    window->page_->setMouseDownHandler([weak = window->weak_from_this()](Point point) {
        if (auto self = weak.lock()) self->mouseDown(point);
    });
    return window;
}

std::optional<OverlayWindow::MouseDown> OverlayWindow::consumeMouseDown() {
    auto taken = lastMouseDown;
    lastMouseDown.reset();
    return taken;
}

void OverlayWindow::mouseDown(Point point) {
    lastMouseDown = MouseDown{platform_.clock().now(), point};
    if (!page_->isKey() && !page_->ignoresMouse()) page_->makeKey();
}

void OverlayWindow::handBackKeyboard() {
    if (!page_->isKey()) return;
    auto numbers = platform_.windows().windowNumbers();
    auto mine = std::find(numbers.begin(), numbers.end(), page_->windowNumber());
    // Ordering out is what gives key status up on some window systems but not
    // every backend promises it, so say it outright.
    page_->resignKey();
    page_->orderOut();
    if (mine == numbers.end() || mine == numbers.begin()) {
        page_->orderFront();
    } else {
        // Back in exactly where it was: below the window that was just in front.
        page_->orderBelow(*(mine - 1));
    }
}

}  // namespace nimbo
