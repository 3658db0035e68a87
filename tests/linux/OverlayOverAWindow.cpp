// gtest comes before X11's headers, whose None macro would meet its names.
#include <gtest/gtest.h>

#include "OverlayOverAWindow.h"

namespace nimbo::test {

bool composited() {
    return gdk_screen_is_composited(gdk_screen_get_default());
}

std::unique_ptr<Child> startCompositor() {
    auto compositor = std::make_unique<Child>(std::vector<std::string>{"xcompmgr"},
                                              std::vector<std::pair<std::string, std::string>>{}, "");
    return waitUntil(composited) ? std::move(compositor) : nullptr;
}

ScreenShot probeArea() {
    return ScreenShot::of(kProbeX, kProbeY, kProbeWidth, kProbeHeight);
}

OverlayOverAWindow::OverlayOverAWindow() : probe_(kProbeX, kProbeY, kProbeWidth, kProbeHeight, kTeal) {
    EXPECT_TRUE(waitUntil([&] { return probe_.shown() && probeArea().at(10, 10) == kTeal; }))
        << "the window under the overlay shows";
    bare_ = probeArea();
    bare_.keep(std::string(composited() ? "composited" : "plain") + "-bare");

    window_ = makeOverlayWindow(Rect{{0, 0}, {1920, 1080}});
    window_->setIgnoresMouse(true);
    window_->orderFront();
    EXPECT_TRUE(loadPage(window_->web(), server_.origin() + "/spatial/overlay?display=0&dx=0&dy=0&dw=1920&dh=1080"))
        << "the overlay page loads";
}

OverlayOverAWindow::~OverlayOverAWindow() {
    window_->close();
}

void OverlayOverAWindow::run(const std::string& body) {
    ASSERT_FALSE(runScript(window_->web(), body).error);
}

void OverlayOverAWindow::paintBox(const std::string& colour) {
    run("const box = document.createElement('div'); box.id = 'test-box';"
        "box.style.cssText = 'position:fixed;left:" +
        std::to_string(kBoxX) + "px;top:" + std::to_string(kBoxY) + "px;width:" + std::to_string(kBoxWidth) +
        "px;height:" + std::to_string(kBoxHeight) + "px;background:" + colour +
        "'; document.body.appendChild(box); return true;");
}

void OverlayOverAWindow::removeBox() {
    run("document.getElementById('test-box').remove(); return true;");
}

std::uint32_t OverlayOverAWindow::boxCentre() {
    return ScreenShot::of(kBoxX + kBoxWidth / 2, kBoxY + kBoxHeight / 2, 1, 1).at(0, 0);
}

std::pair<int, int> OverlayOverAWindow::differingInAndOut(const ScreenShot& shot) const {
    const int inside = shot.differing(bare_, kBoxX - kProbeX, kBoxY - kProbeY, kBoxWidth, kBoxHeight);
    return {inside, shot.differing(bare_) - inside};
}

}  // namespace nimbo::test
