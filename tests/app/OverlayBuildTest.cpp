#include <gtest/gtest.h>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class OverlayBuildTest : public testing::ShellFixture {
protected:
    OverlayBuildTest() {
        sim.env.variables["NIMBO_URL"] = "http://127.0.0.1:4321";
        primary.safeAreaTop = 32;
        primary.auxiliaryTopLeft = Rect{{0, 950}, {661, 32}};
        primary.auxiliaryTopRight = Rect{{851, 950}, {661, 32}};
        sim.displays.list = {primary, side, right};
    }
    std::vector<std::string> buildLines() const {
        std::vector<std::string> out;
        for (const auto& line : sim.output.lines) {
            if (line.starts_with("nimbo: overlay") || line.starts_with("nimbo: notch") ||
                line.starts_with("nimbo (shell) ready")) {
                out.push_back(line);
            }
        }
        return out;
    }
    // Makes the window system put every window `dy` higher and `dw`, `dh` larger than asked.
    void misplace(double dy, double dw, double dh) {
        sim.pageWindows.place = [=](Rect asked) {
            return Rect{{asked.origin.x, asked.origin.y + dy}, {asked.size.width + dw, asked.size.height + dh}};
        };
    }

    platform::Screen primary = display(1, {{0, 0}, {1512, 982}});
    platform::Screen side = display(2, {{-1920, -98}, {1920, 1080}}, 1.0);  // top-left (-1920, 0)
    platform::Screen right = display(3, {{1511.5, 0}, {1920, 1080}}, 1.0);  // top-left (1511.5, -98)
};

TEST_F(OverlayBuildTest, EachDisplayGetsItsPageAndAPlacementCheck) {
    launch();
    ASSERT_EQ(delegate->overlays.size(), 3u);
    const std::vector<std::string> addresses = {
        "http://127.0.0.1:4321/spatial/overlay?display=0&dx=0&dy=0&dw=1512&dh=982",
        "http://127.0.0.1:4321/spatial/overlay?display=-1920&dx=-1920&dy=0&dw=1920&dh=1080",
        "http://127.0.0.1:4321/spatial/overlay?display=1511&dx=1511&dy=-98&dw=1920&dh=1080",
    };
    for (size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(webOf(*delegate->overlays[i]).url(), addresses[i]);
    // The overlays come only once the session restore is done: after the ready report.
    const std::vector<std::string> lines = {
        "nimbo (shell) ready — 0 overlay(s), serving from http://127.0.0.1:4321",
        "nimbo: overlay is exactly 1512x982 at 0,0",
        "nimbo: notch 190x32pt at x=661 (AppKit safeAreaInsets)",
        "nimbo: overlay is exactly 1920x1080 at -1920,0",
        "nimbo: overlay is exactly 1920x1080 at 1511,-98",
    };
    EXPECT_EQ(buildLines(), lines);

    delegate->origin = "http://[::1";  // no address can be formed from it
    delegate->build();
    EXPECT_TRUE(delegate->overlays.empty());
}

TEST_F(OverlayBuildTest, OnlyWidthAndTopAreCheckedAtBuild) {
    sim.displays.list = {display(1, {{0, 0}, {1512, 982}})};
    misplace(25, 0, 0);
    launch();
    misplace(0, -0.6, 0);
    delegate->build();
    misplace(0.6, 0, -0.6);  // trimmed at the bottom: the top stays
    delegate->build();
    const std::vector<std::string> lines = {
        "nimbo (shell) ready — 0 overlay(s), serving from http://127.0.0.1:4321",
        "nimbo: overlay asked for 1512x982 at 0,0 but landed 1512x982 at 0,-25 — every mark would be off by the "
        "difference",
        "nimbo: overlay asked for 1512x982 at 0,0 but landed 1511x982 at 0,0 — every mark would be off by the "
        "difference",
        "nimbo: overlay is exactly 1512x981 at 0,0",
    };
    EXPECT_EQ(buildLines(), lines);
}

TEST_F(OverlayBuildTest, FrameIsSentThreeTimesWhileThePageStarts) {
    launch();
    auto& web = webOf(*delegate->overlays[1]);
    std::vector<size_t> sent;
    for (double step : {0.29, 0.01, 0.69, 0.01, 1.0, 30.0}) {
        sim.advance(step);
        sent.push_back(web.emitted().size());
    }
    EXPECT_EQ(sent, (std::vector<size_t>{0, 1, 1, 2, 3, 3}));
    EXPECT_EQ(web.emitted()[2], (std::pair<std::string, Json>{"nimbo:frame", delegate->overlays[1]->frameInfo()}));
}

TEST_F(OverlayBuildTest, DisplayChangeKeepsPagesUnlessTheLayoutDiffers) {
    launch();
    auto before = delegate->overlays;
    windowOf(*before[1]).setFrame({{-1920, -60}, {1920, 1080}});
    sim.output.lines.clear();
    sim.app.changeScreens();
    const std::vector<std::string> kept = {
        "nimbo: displays reported a change that moves no overlay — pages kept",
        "nimbo: window had DRIFTED to 1920x1080 at -1920,-60 — want 1920x1080 at -1920,-98; every mark was off by "
        "the difference [display change]",
    };
    EXPECT_EQ(sim.output.lines, kept);
    EXPECT_EQ(delegate->overlays, before);
    EXPECT_EQ(webOf(*before[0]).loads.size(), 1u);

    sim.displays.list[1].backingScale = 2.0;  // nothing moves, but the pages must render anew
    sim.app.changeScreens();
    ASSERT_EQ(delegate->overlays.size(), 3u);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_NE(delegate->overlays[i], before[i]);
        EXPECT_TRUE(windowOf(*before[i]).closed);
    }
}

TEST_F(OverlayBuildTest, OverlayOnMatchesTheDisplayFrameAndFallsBackToTheFirst) {
    launch();
    auto& overlays = delegate->overlays;
    EXPECT_EQ(delegate->overlayOn(display(99, side.frame, 3.0)), overlays[1]) << "only the frame counts";
    EXPECT_EQ(delegate->overlayOn(display(4, {{5000, 0}, {800, 600}})), overlays[0]);
    sim.displays.mouse = {2000, 500};
    EXPECT_EQ(delegate->overlayOn(std::nullopt), overlays[2]);

    delegate->onboarding.onGuide(Json{{"id", "keys"}}, side);
    EXPECT_EQ(webOf(*overlays[1]).emitted().back().first, "nimbo:guide");
    overlays.clear();
    EXPECT_EQ(delegate->overlayOn(side), nullptr);
}

TEST_F(OverlayBuildTest, ForgetDropsEveryReferenceToThatOverlayOnly) {
    launch();
    auto gone = delegate->overlays[0];
    auto kept = delegate->overlays[1];
    delegate->cursorWanters = {gone, kept};
    delegate->steerOwners = {kept, gone};
    delegate->offerOwner = delegate->pressTarget = delegate->captionFrom = gone;
    auto generation = Actions::generation();
    delegate->forget(*gone);
    EXPECT_EQ(delegate->cursorWanters.size(), 1u);
    EXPECT_EQ(delegate->steerOwners[0].lock(), kept);
    EXPECT_FALSE(delegate->offerOwner.lock() || delegate->pressTarget.lock() || delegate->captionFrom.lock());
    EXPECT_EQ(Actions::generation(), generation + 1) << "the held offer was dropped";

    delegate->caption = makeOverlay(primary, Rect{{600, 0}, {312, 40}});
    delegate->panel = AppDelegate::Panel{312, 40, "card"};
    delegate->hoverInside = delegate->captionHeld = true;
    delegate->pressTarget = kept;
    webOf(*kept).killRenderer();  // a dead renderer is forgotten, reloaded and kept
    EXPECT_FALSE(delegate->pressTarget.lock());
    EXPECT_EQ(delegate->overlays[1], kept);
    EXPECT_TRUE(delegate->panel);
    delegate->forget(*delegate->caption);
    EXPECT_FALSE(delegate->panel || delegate->hoverInside || delegate->captionHeld);
    EXPECT_EQ(Actions::generation(), generation + 1);
}

}  // namespace
}  // namespace nimbo
