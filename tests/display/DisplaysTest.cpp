#include "display/Displays.h"

#include <gtest/gtest.h>

#include <limits>

#include "display/NumberText.h"
#include "platform/sim/SimScreens.h"

namespace nimbo {
namespace {

platform::Screen display(std::optional<long long> number, Rect frame, double scale = 2.0) {
    return {number, frame, scale, 0, std::nullopt, std::nullopt};
}

// A laptop panel with a 190 x 32 point camera housing between two menu-bar wings.
platform::Screen notched() {
    auto screen = display(1, {{0, 0}, {1512, 982}});
    screen.safeAreaTop = 32;
    screen.auxiliaryTopLeft = Rect{{0, 950}, {661, 32}};
    screen.auxiliaryTopRight = Rect{{851, 950}, {661, 32}};
    return screen;
}

TEST(NumberTextTest, ShortestRoundTripAndTruncation) {
    using NumberText::shortest, NumberText::truncated;
    EXPECT_EQ(shortest(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(shortest(100000), "100000.0") << "to_chars alone would write 1e+05";
    EXPECT_EQ(shortest(1e16), "1e+16");
    EXPECT_EQ(shortest(0.00001), "1e-05");
    EXPECT_EQ(shortest(-0.0), "0.0") << "the same place must give the same layout";
    EXPECT_EQ(truncated(-1920.9), "-1920");
    EXPECT_EQ(truncated(-0.4), "0");
    EXPECT_EQ(truncated(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(truncated(1e300), "9000000000000000000");
}

TEST(DisplaysTest, LayoutLinesAndWhatChangesThem) {
    sim::SimScreens screens;
    EXPECT_TRUE(Displays::layout(screens).empty());
    screens.list = {notched(), display(std::nullopt, {{-1920, -98}, {1920, 1080}}, 1.0),
                    display(3, {{1511.5, 0}, {2560, 1440}}, 1.5)};
    const std::vector<std::string> expected = {
        "1 0.0,0.0 1512.0x982.0 @2.0 notch 661.0 190.0x32.0",
        "0 -1920.0,-98.0 1920.0x1080.0 @1.0 notch 0.0 0.0x0.0",
        "3 1511.5,0.0 2560.0x1440.0 @1.5 notch 0.0 0.0x0.0",
    };
    EXPECT_EQ(Displays::layout(screens), expected);

    screens.list = {notched()};
    auto before = Displays::layout(screens);
    screens.list[0].backingScale = 1.0;
    EXPECT_NE(Displays::layout(screens), before);
    screens.list = {notched()};
    screens.list[0].auxiliaryTopRight->origin.x = 861;
    EXPECT_NE(Displays::layout(screens), before);
}

TEST(DisplaysTest, NotchNeedsAnInsetAndAGapBetweenBothWings) {
    EXPECT_EQ(Displays::notch(notched()), (Rect{{661, 0}, {190, 32}}));
    auto noInset = notched(), oneWing = notched(), touching = notched(), overlapping = notched();
    noInset.safeAreaTop = 0;
    oneWing.auxiliaryTopRight.reset();
    touching.auxiliaryTopRight->origin.x = 661;
    overlapping.auxiliaryTopRight->origin.x = 600;
    for (const auto& screen : {noInset, oneWing, touching, overlapping}) EXPECT_FALSE(Displays::notch(screen));
}

TEST(DisplaysTest, PointsOnEdgesBelongWhereTheMouseTestPutsThem) {
    sim::SimScreens screens;
    EXPECT_FALSE(Displays::screenAt(screens, {0, 0})) << "no display and no main display";
    auto right = display(2, {{1512, 0}, {1920, 1080}});
    screens.list = {display(1, {{0, 0}, {1512, 982}}), right, display(3, {{0, 982}, {1512, 982}})};
    EXPECT_EQ(Displays::screenAt(screens, {1511.9, 500})->number, 1);
    EXPECT_EQ(Displays::screenAt(screens, {1512, 500})->number, 2) << "the right edge is outside";
    EXPECT_EQ(Displays::screenAt(screens, {100, 982})->number, 1) << "the top edge is inside";
    EXPECT_EQ(Displays::screenAt(screens, {100, 982.1})->number, 3);
    screens.main = right;
    EXPECT_EQ(Displays::screenAt(screens, {100, 0})->number, 2) << "the bottom edge is outside: main display";
}

TEST(DisplaysTest, TopLeftBoundsAndBackAgree) {
    sim::SimScreens screens;
    EXPECT_EQ(Displays::primaryHeight(screens), 0);
    // The primary decides the height even when a taller display follows.
    screens.list = {display(1, {{0, 0}, {1512, 982}}), display(2, {{-1920, -98}, {1920, 1080}}),
                    display(3, {{0, 982}, {2560, 1440}}), display(4, {{1511.5, 100.25}, {1280.5, 800.75}})};
    EXPECT_EQ(Displays::topLeftBounds(screens, screens.list[1]), (Rect{{-1920, 0}, {1920, 1080}}));
    EXPECT_EQ(Displays::topLeftBounds(screens, screens.list[2]), (Rect{{0, -1440}, {2560, 1440}}));
    for (const auto& screen : screens.list) {
        EXPECT_EQ(Displays::toAppKit(screens, Displays::topLeftBounds(screens, screen)), screen.frame);
    }
}

}  // namespace
}  // namespace nimbo
