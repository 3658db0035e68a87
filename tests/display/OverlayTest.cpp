#include "display/Overlay.h"

#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayTest : public testing::ShellFixture {
protected:
    OverlayTest() { sim.displays.list = {display(1, {{0, 0}, {1512, 982}}), side}; }
    // Left of the primary with the top edges level: top-left (-1920, 0).
    const platform::Screen side = display(2, {{-1920, -98}, {1920, 1080}}, 1.0);
};

TEST_F(OverlayTest, BuildsAClickThroughPanelHiddenFromCaptureUnlessAllowed) {
    auto overlay = makeOverlay(side);
    auto& window = windowOf(*overlay);
    const auto& made = window.options;
    EXPECT_EQ(made.frame, side.frame);
    EXPECT_TRUE(made.transparent && made.nonActivating);
    EXPECT_TRUE(window.ignoresMouse());
    EXPECT_EQ(window.sharing, platform::SharingType::none);
    EXPECT_EQ(sim.pageWindows.order.front(), window.windowNumber());
    EXPECT_EQ(webOf(*overlay).loads,
              (std::vector<std::pair<std::string, double>>{{"http://127.0.0.1:3005/spatial/overlay", 60.0}}));

    // An explicit frame is top-left.
    EXPECT_EQ(windowOf(*makeOverlay(side, Rect{{600, 0}, {312, 40}})).frame(), (Rect{{600, 942}, {312, 40}}));

    sim.defaultsStore.values["nimbo.visible"] = "true";  // text, not the boolean
    sim.env.variables["NIMBO_SHOWCASE"] = "yes";
    EXPECT_EQ(windowOf(*makeOverlay()).sharing, platform::SharingType::none);
    sim.env.variables["NIMBO_NO_PROTECT"] = "1";
    EXPECT_EQ(windowOf(*makeOverlay()).sharing, platform::SharingType::readOnly);
    sim.env.variables.clear();
    sim.defaultsStore.values["nimbo.visible"] = true;
    EXPECT_EQ(windowOf(*makeOverlay()).sharing, platform::SharingType::readOnly);
}

TEST_F(OverlayTest, HalfAPointIsPlacedButMoreInAnyOneEdgeIsDriftThatGetsFixed) {
    auto overlay = makeOverlay(side);
    auto& window = windowOf(*overlay);
    window.setFrame({{-1919.6, -97.6}, {1920.4, 1080.4}});
    EXPECT_FALSE(overlay->keepPlaced("display change"));
    EXPECT_TRUE(sim.output.lines.empty());

    window.setFrame({{-1920, -97.4}, {1920, 1079.4}});  // the top kept, the bottom 0.6 up
    EXPECT_TRUE(overlay->keepPlaced("about to capture"));
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: window had DRIFTED to 1920x1079 at -1920,-97 — want 1920x1080 at "
                                       "-1920,-98; every mark was off by the difference [about to capture]"});
    // Each of x, y, width and height alone.
    for (Rect off : {Rect{{-1920.6, -98}, {1920, 1080}}, Rect{{-1920, -97.4}, {1920, 1080}},
                     Rect{{-1920, -98}, {1919.4, 1080}}, Rect{{-1920, -98}, {1920, 1080.6}}}) {
        window.setFrame(off);
        EXPECT_TRUE(overlay->keepPlaced("display change")) << off.origin.x << "," << off.origin.y;
        EXPECT_EQ(window.frame(), side.frame);
    }
    const Json frame = {{"wx", -1920.0}, {"wy", 0.0}, {"dx", -1920.0}, {"dy", 0.0}, {"dw", 1920.0}, {"dh", 1080.0}};
    EXPECT_EQ(webOf(*overlay).emitted(), (std::vector<std::pair<std::string, Json>>(5, {"nimbo:frame", frame})));
}

TEST_F(OverlayTest, TwoRequestsTwoSecondsApartHoldTheMouseFourAndAHalf) {
    auto overlay = makeOverlay();
    auto& window = windowOf(*overlay);
    overlay->setInteractive(false);
    EXPECT_EQ(sim.pageWindows.arrowCursorSets, 0) << "the arrow only comes back after the mouse was taken";
    overlay->setInteractive(true);
    EXPECT_TRUE(window.isKey());
    sim.advance(2.0);
    window.resignKey();
    overlay->setInteractive(true);
    EXPECT_FALSE(window.isKey()) << "a renewed lease doesn't take the keyboard again";
    sim.advance(2.49);
    EXPECT_FALSE(window.ignoresMouse());
    sim.advance(0.01);
    EXPECT_TRUE(window.ignoresMouse());
    EXPECT_EQ(sim.pageWindows.arrowCursorSets, 1);
}

TEST_F(OverlayTest, TornDownOverlayIsAClosedBlankWindowThatHearsNothing) {
    auto overlay = makeOverlay();
    auto& window = windowOf(*overlay);
    auto& web = webOf(*overlay);
    int died = 0;
    overlay->onRendererDied = [&](Overlay&) { ++died; };
    web.fail(-1004);  // a reload is pending
    overlay->setInteractive(true);
    sim.output.lines.clear();

    overlay->tearDown();
    EXPECT_TRUE(window.ignoresMouse() && window.closed && !window.visible && !window.isKey());
    EXPECT_EQ(web.stops, 1);
    EXPECT_EQ(web.htmlLoads, std::vector<std::string>{""});
    EXPECT_FALSE(web.handlers.contains("nimbo"));
    web.killRenderer();
    web.fail(-1004);
    EXPECT_TRUE(web.respond(500));
    sim.advance(60.0);
    EXPECT_EQ(died, 0);
    EXPECT_EQ(web.loads.size(), 1u) << "the pending reload was called off";
    EXPECT_TRUE(sim.output.lines.empty());
}

}  // namespace
}  // namespace nimbo
