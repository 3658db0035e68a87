#include <gtest/gtest.h>

#include "TwoDisplays.h"
#include "support/Base64Text.h"

namespace nimbo {
namespace {

using CaptureAndSendTest = testing::TwoDisplays;
using testing::Channels;

TEST_F(CaptureAndSendTest, PictureThenElementsUnderTheCapturesNumber) {
    hold(0.6);
    sim.displays.mouse = {100, 500};  // off the captured display before the picture goes out
    settle();
    const auto& asked = sim.capturer.requests.at(0);
    EXPECT_EQ(asked.displayId, 2);
    EXPECT_EQ(asked.width, 2560);
    EXPECT_EQ(asked.including, std::nullopt);

    Json captured = last(right(), "nimbo:captured");
    EXPECT_EQ(testing::jpegText(captured["imageDataUrl"].get<std::string>()), "JPEG 1280x1024 q0.820000");
    captured.erase("imageDataUrl");
    EXPECT_EQ(captured, (Json{{"bounds", {{"x", 1920}, {"y", 56}, {"w", 1280}, {"h", 1024}}},
                              {"cursor", {{"x", 0.0}, {"y", (1080.0 - 500 - 56) / 1024}}},
                              {"capture", 1}}));
    EXPECT_EQ(last(right(), "nimbo:elements"), (Json{{"capture", 1},
                                                     {"elements", Json::array()},
                                                     {"document", nullptr},
                                                     {"menus", Json::array()},
                                                     {"app", nullptr},
                                                     {"file", nullptr}}));
    EXPECT_EQ(last(right(), "nimbo:pointed"), nullptr);
    EXPECT_EQ(channels(right()),
              (Channels{"nimbo:listen", "nimbo:pointed", "nimbo:document", "nimbo:captured", "nimbo:elements"}));
    EXPECT_TRUE(channels(left()).empty());
    EXPECT_EQ(sim.output.lines,
              (std::vector<std::string>{"nimbo: capture 1 grabbed in 0ms, encoded in 0ms",
                                        "nimbo: capture 1 walked in 0ms, recognised in 0ms",
                                        "nimbo: elements 0 for capture 1 in 0ms, no menus read yet"}));
    ASSERT_TRUE(delegate->lastShot);
    EXPECT_EQ(delegate->lastShot->image.width, 2560);

    // The next ask has the next number, picture and elements alike.
    hold(0.6);
    settle();
    EXPECT_EQ(last(left(), "nimbo:captured")["capture"], 2);
    EXPECT_EQ(last(left(), "nimbo:elements")["capture"], 2);
}

TEST_F(CaptureAndSendTest, FailuresEndThePressInPlainWords) {
    const std::string again = "i couldn't see your screen just then — hold command and option and ask me again.";
    struct Case {
        std::function<void()> arrange;
        std::string line;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {[&] { sim.capturer.refused = true; }, "nimbo: capture failed — Screen Recording permission is not granted.",
         "i can't see your screen — your mac isn't letting nimbo record it. in system settings, privacy and "
         "security, screen and system audio recording, turn nimbo on, then quit and reopen me."},
        {[&] {
             sim.capturer.refused = false;
             sim.capturer.failure = "the stream stopped";
         },
         "nimbo: capture failed — the stream stopped", again},
        {[&] { sim.capturer.displays.clear(); },
         "nimbo: capture failed — No matching display in the shareable content.", again},
    };
    int n = 0;
    for (const auto& c : cases) {
        c.arrange();
        sim.output.lines.clear();
        hold(0.6);
        EXPECT_EQ(sim.output.lines, std::vector<std::string>{c.line});
        EXPECT_EQ(last(right(), "nimbo:guide"), (Json{{"id", "capture-" + std::to_string(++n)},
                                                      {"steps", Json::array()},
                                                      {"done", true},
                                                      {"summary", c.summary}}));
        EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:cancel", "nimbo:guide"}));
    }
}

TEST_F(CaptureAndSendTest, APictureThatWontEncodeOrNoDisplayCancels) {
    sim.pictures.jpegFails = true;
    hold(0.6);
    settle();
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: the screenshot would not encode"});
    EXPECT_EQ(channels(right()), (Channels{"nimbo:listen", "nimbo:pointed", "nimbo:document", "nimbo:cancel"}));

    delegate->overlays.clear();
    sim.displays.list.clear();
    sim.output.lines.clear();
    hold(0.6);
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: no display to capture"});
    EXPECT_EQ(sim.capturer.requests.size(), 1u);
}

TEST_F(CaptureAndSendTest, TheKeyTapIsOnAgainAfterTheGrab) {
    delegate->hotkey.onPress();
    sim.keys.taps.at(0)->enabled = false;
    delegate->hotkey.onRelease(0.6, sim.now(), false);
    EXPECT_TRUE(sim.keys.taps.at(0)->enabled);
}

TEST_F(CaptureAndSendTest, TheControlCenterOnThatDisplayIsLetInForTheGrabOnly) {
    delegate->openControl();
    auto controlWindow = sim.controlWindowMaker.made.back()->window;
    controlWindow->setFrame({{2000, 100}, {600, 400}});
    controlWindow->orderFront();
    controlWindow->setSharingType(platform::SharingType::none);

    hold(0.6);
    EXPECT_EQ(sim.capturer.requests.back().including, controlWindow->windowNumber());
    EXPECT_EQ(controlWindow->sharing, platform::SharingType::none);
    sim.defaultsStore.values["nimbo.visible"] = true;
    hold(0.6);
    EXPECT_EQ(controlWindow->sharing, platform::SharingType::readOnly);

    // A capture of the other display leaves it out.
    sim.displays.mouse = {100, 100};
    hold(0.6);
    EXPECT_EQ(sim.capturer.requests.back().displayId, 1);
    EXPECT_EQ(sim.capturer.requests.back().including, std::nullopt);
}

}  // namespace
}  // namespace nimbo
