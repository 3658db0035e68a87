#include "display/OverlayWindow.h"

#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayWindowTest : public testing::ShellFixture {
protected:
    OverlayWindowTest() : overlay(makeOverlay()), window(windowOf(*overlay)) {}
    long showOther() {
        auto other = ShellFixture::window();
        other->orderFront();
        return other->windowNumber();
    }
    std::shared_ptr<Overlay> overlay;
    sim::SimPageWindow& window;
};

TEST_F(OverlayWindowTest, OnlyATakingWindowSeesClicksAndEachIsUsedOnce) {
    EXPECT_FALSE(window.click({10, 20}));
    EXPECT_FALSE(overlay->window().lastMouseDown);
    overlay->setInteractive(true);
    window.resignKey();
    sim.advance(1.25);
    ASSERT_TRUE(window.click({10, 20}));
    EXPECT_TRUE(window.isKey());
    auto click = overlay->window().consumeMouseDown();
    ASSERT_TRUE(click);
    EXPECT_EQ(click->time, 1.25);
    EXPECT_EQ(click->point, (Point{10, 20}));
    EXPECT_FALSE(overlay->window().consumeMouseDown());
}

TEST_F(OverlayWindowTest, KeyboardGoesBackWithoutChangingTheStacking) {
    long mine = window.windowNumber();
    long middle = showOther();
    long front = showOther();
    overlay->window().handBackKeyboard();  // not key: nothing moves
    EXPECT_EQ(sim.pageWindows.order, (std::vector<long>{front, middle, mine}));

    window.orderBelow(front);
    window.makeKey();
    overlay->window().handBackKeyboard();
    EXPECT_FALSE(window.isKey());
    EXPECT_EQ(sim.pageWindows.order, (std::vector<long>{front, mine, middle}));

    window.orderFront();
    window.makeKey();
    overlay->window().handBackKeyboard();
    EXPECT_EQ(sim.pageWindows.order, (std::vector<long>{mine, front, middle}));

    window.orderOut();  // not listed: back in front
    window.makeKey();
    overlay->window().handBackKeyboard();
    EXPECT_EQ(sim.pageWindows.order, (std::vector<long>{mine, front, middle}));
}

}  // namespace
}  // namespace nimbo
