#include "ask/Watch.h"

#include <gtest/gtest.h>

#include "platform/sim/SimPlatform.h"
#include "support/Base64Text.h"

namespace nimbo {
namespace {

class WatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen.number = 5;
        sim.capturer.displays = {{5, {{0, 0}, {1728, 1117}}}, {6, {{1728, 0}, {1080, 1920}}}};
        sim.capturer.pictures[5] = sim::SimImages::solid(3456, 2234, 255, 255, 255);
        sim.capturer.pictures[6] = sim::SimImages::solid(1080, 1920, 0, 0, 0);
    }
    platform::Screen screen;
    sim::SimPlatform sim;
};

TEST_F(WatchTest, FiveMembersOfGreyBytesAt320PixelsOnTheLongerSide) {
    auto frame = Watch::frame(sim, screen);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->size(), 5u);
    EXPECT_EQ((*frame)["displayId"], 5);
    EXPECT_EQ((*frame)["width"], 320);
    EXPECT_EQ((*frame)["height"], 206);
    EXPECT_DOUBLE_EQ((*frame)["at"].get<double>(), sim.clockImpl.wallNow() * 1000);
    auto grey = testing::fromBase64((*frame)["grey64"].get<std::string>());
    EXPECT_EQ(grey, std::vector<std::uint8_t>(320 * 206, 255));
    // Asked for at that size, without the pointer or any window of the shell.
    const auto& asked = sim.capturer.requests.back();
    EXPECT_EQ(asked.width, 320);
    EXPECT_FALSE(asked.showCursor);
    EXPECT_EQ(asked.including, std::nullopt);
}

TEST_F(WatchTest, PortraitDisplayAndAnUnknownNumber) {
    screen.number = 6;
    auto frame = Watch::frame(sim, screen);
    ASSERT_TRUE(frame);
    EXPECT_EQ((*frame)["width"], 180);
    EXPECT_EQ((*frame)["height"], 320);
    EXPECT_EQ(testing::fromBase64((*frame)["grey64"].get<std::string>()), std::vector<std::uint8_t>(180 * 320, 0));
    screen.number = 77;
    EXPECT_EQ((*Watch::frame(sim, screen))["displayId"], 5);
}

TEST_F(WatchTest, AnyFailureAnswersNothing) {
    sim.pictures.greyFails = true;
    EXPECT_FALSE(Watch::frame(sim, screen));
    sim.capturer.failure = "stopped";
    EXPECT_FALSE(Watch::frame(sim, screen));
    sim.capturer.refused = true;
    EXPECT_FALSE(Watch::frame(sim, screen));
}

}  // namespace
}  // namespace nimbo
