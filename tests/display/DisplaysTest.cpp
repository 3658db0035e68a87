#include "display/Displays.h"

#include <gtest/gtest.h>

#include <limits>

#include "display/NumberText.h"
#include "platform/sim/SimScreens.h"

namespace nimbo {
namespace {

platform::Screen display(std::optional<long long> number, Rect frame, double scale = 2.0) {
    platform::Screen screen;
    screen.number = number;
    screen.frame = frame;
    screen.backingScale = scale;
    return screen;
}

// A 14-inch laptop panel: a 190 x 32 point housing between two menu-bar wings.
platform::Screen notched() {
    auto screen = display(1, {{0, 0}, {1512, 982}});
    screen.safeAreaTop = 32;
    screen.auxiliaryTopLeft = Rect{{0, 950}, {661, 32}};
    screen.auxiliaryTopRight = Rect{{851, 950}, {661, 32}};
    return screen;
}

TEST(NumberTextTest, ShortestDecimalReadsBackToTheSameDouble) {
    using NumberText::shortest;
    EXPECT_EQ(shortest(1512), "1512.0");
    EXPECT_EQ(shortest(1511.5), "1511.5");
    EXPECT_EQ(shortest(-1920), "-1920.0");
    EXPECT_EQ(shortest(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(shortest(2.0 / 3.0), "0.6666666666666666");
    EXPECT_EQ(shortest(100000), "100000.0") << "whole numbers stay plain where to_chars alone would not";
    EXPECT_EQ(shortest(1e16), "1e+16");
    EXPECT_EQ(shortest(0.00001), "1e-05");
    EXPECT_EQ(shortest(0.0001), "0.0001");
    EXPECT_EQ(shortest(-0.0), "0.0") << "negative zero is the same place as zero";
}

TEST(NumberTextTest, TruncationTowardZeroWithoutNegativeZeroOrUndefinedConversions) {
    using NumberText::truncated;
    EXPECT_EQ(truncated(1511.5), "1511");
    EXPECT_EQ(truncated(-1920.9), "-1920");
    EXPECT_EQ(truncated(-0.4), "0");
    EXPECT_EQ(truncated(std::numeric_limits<double>::quiet_NaN()), "0");
    EXPECT_EQ(truncated(std::numeric_limits<double>::infinity()), "0");
    EXPECT_EQ(truncated(1e300), "9000000000000000000");
    EXPECT_EQ(NumberText::sizeAt({{-1920.7, 0.2}, {1920, 1080.9}}), "1920x1080 at -1920,0");
}

class DisplaysTest : public ::testing::Test {
protected:
    sim::SimScreens screens;
};

TEST_F(DisplaysTest, LayoutWritesOneLinePerDisplayInOrder) {
    screens.list = {notched(), display(std::nullopt, {{-1920, -98}, {1920, 1080}}, 1.0),
                    display(3, {{1511.5, 0}, {2560, 1440}}, 1.5)};
    const std::vector<std::string> expected = {
        "1 0.0,0.0 1512.0x982.0 @2.0 notch 661.0 190.0x32.0",
        "0 -1920.0,-98.0 1920.0x1080.0 @1.0 notch 0.0 0.0x0.0",
        "3 1511.5,0.0 2560.0x1440.0 @1.5 notch 0.0 0.0x0.0",
    };
    EXPECT_EQ(Displays::layout(screens), expected);
    screens.list.clear();
    EXPECT_TRUE(Displays::layout(screens).empty());
}

TEST_F(DisplaysTest, ScaleOnlyOrNotchOnlyChangeMakesADifferentLayout) {
    screens.list = {notched()};
    auto before = Displays::layout(screens);

    screens.list[0].backingScale = 1.0;
    EXPECT_NE(Displays::layout(screens), before);

    screens.list = {notched()};
    screens.list[0].safeAreaTop = 37;
    EXPECT_NE(Displays::layout(screens), before);

    screens.list = {notched()};
    screens.list[0].auxiliaryTopRight->origin.x = 861;
    EXPECT_NE(Displays::layout(screens), before);

    screens.list = {notched()};
    EXPECT_EQ(Displays::layout(screens), before);
}

TEST_F(DisplaysTest, NotchNeedsAnInsetAndAGapBetweenBothWings) {
    EXPECT_EQ(Displays::notch(notched()), (Rect{{661, 0}, {190, 32}}));

    auto noInset = notched();
    noInset.safeAreaTop = 0;
    EXPECT_FALSE(Displays::notch(noInset));

    auto oneWing = notched();
    oneWing.auxiliaryTopRight.reset();
    EXPECT_FALSE(Displays::notch(oneWing));

    auto touching = notched();
    touching.auxiliaryTopRight->origin.x = 661;
    EXPECT_FALSE(Displays::notch(touching));

    auto overlapping = notched();
    overlapping.auxiliaryTopRight->origin.x = 600;
    EXPECT_FALSE(Displays::notch(overlapping));
}

TEST_F(DisplaysTest, PointOnABoundaryBelongsWhereTheMouseTestPutsIt) {
    auto left = display(1, {{0, 0}, {1512, 982}});
    auto right = display(2, {{1512, 0}, {1920, 1080}});
    auto above = display(3, {{0, 982}, {1512, 982}});
    screens.list = {left, right, above};

    EXPECT_EQ(Displays::screenAt(screens, {1511.9, 500})->number, 1);
    EXPECT_EQ(Displays::screenAt(screens, {1512, 500})->number, 2) << "the right edge is not inside";
    EXPECT_EQ(Displays::screenAt(screens, {100, 982})->number, 1) << "the top edge is inside";
    EXPECT_EQ(Displays::screenAt(screens, {100, 982.1})->number, 3);

    // Nothing holds y = 0 (the bottom edge is outside): the main display answers.
    screens.main = right;
    EXPECT_EQ(Displays::screenAt(screens, {100, 0})->number, 2);
    EXPECT_EQ(Displays::screenAt(screens, {-5000, -5000})->number, 2);

    // Mirrored displays: the first in order wins.
    screens.list = {right, display(4, {{1512, 0}, {1920, 1080}})};
    EXPECT_EQ(Displays::screenAt(screens, {2000, 500})->number, 2);
}

TEST_F(DisplaysTest, NoDisplayAtAll) {
    EXPECT_EQ(Displays::primaryHeight(screens), 0);
    EXPECT_FALSE(Displays::screenAt(screens, {0, 0}));
    screens.main = display(9, {{0, 0}, {800, 600}});
    EXPECT_EQ(Displays::screenAt(screens, {0, 0})->number, 9);
}

TEST_F(DisplaysTest, TopLeftBoundsAndBackAgree) {
    // The primary decides the height even when a taller display follows.
    screens.list = {display(1, {{0, 0}, {1512, 982}}), display(2, {{-1920, -98}, {1920, 1080}}),
                    display(3, {{0, 982}, {2560, 1440}}), display(4, {{1511.5, 100.25}, {1280.5, 800.75}})};
    EXPECT_EQ(Displays::primaryHeight(screens), 982);
    EXPECT_EQ(Displays::topLeftBounds(screens, screens.list[1]), (Rect{{-1920, 0}, {1920, 1080}}));
    EXPECT_EQ(Displays::topLeftBounds(screens, screens.list[2]), (Rect{{0, -1440}, {2560, 1440}}));
    for (const auto& screen : screens.list) {
        EXPECT_EQ(Displays::toAppKit(screens, Displays::topLeftBounds(screens, screen)), screen.frame);
    }
}

}  // namespace
}  // namespace nimbo
