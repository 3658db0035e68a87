#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ask/TwoDisplays.h"
#include "support/Base64Text.h"

namespace nimbo {
namespace {

using testing::Channels;

class ScreenChannelsTest : public testing::TwoDisplays {
protected:
    void invoke(Overlay& overlay, const std::string& channel, const MaybeJson& payload, long long id) {
        Json message{{"kind", "invoke"}, {"channel", channel}, {"id", id}};
        if (payload) message["payload"] = *payload;
        webOf(overlay).postMessage(message);
    }
    void send(Overlay& overlay, const std::string& channel, const Json& payload) {
        webOf(overlay).postMessage(Json{{"kind", "send"}, {"channel", channel}, {"payload", payload}});
    }
    // The answer to invoke `id`, null when there was none.
    Json answer(Overlay& overlay, long long id) {
        for (const auto& [answered, value] : webOf(overlay).resolved()) {
            if (answered == id) return value;
        }
        return Json("no answer");
    }
    std::vector<Json> cursors(Overlay& overlay) {
        std::vector<Json> out;
        for (const auto& [channel, payload] : webOf(overlay).emitted()) {
            if (channel == "nimbo:cursor") out.push_back(payload);
        }
        webOf(overlay).calls.clear();
        return out;
    }
};

TEST_F(ScreenChannelsTest, CaptureAnswersThePictureAndThenSendsItsElements) {
    invoke(left(), "nimbo:capture", std::nullopt, 4);
    settle();
    Json answered = answer(left(), 4);
    EXPECT_EQ(testing::jpegText(answered["imageDataUrl"].get<std::string>()), "JPEG 1920x1080 q0.820000");
    answered.erase("imageDataUrl");
    EXPECT_EQ(answered, (Json{{"bounds", {{"x", 0}, {"y", 0}, {"w", 1920}, {"h", 1080}}}, {"capture", 1}}));
    EXPECT_EQ(last(left(), "nimbo:elements")["capture"], 1);
    EXPECT_EQ(sim.capturer.requests.at(0).displayId, 1);

    sim.capturer.refused = true;
    invoke(left(), "nimbo:capture", std::nullopt, 5);
    EXPECT_EQ(answer(left(), 5), nullptr);
}

TEST_F(ScreenChannelsTest, ZoomAnswersACropInsideTheLastPictureOrNull) {
    const Json whole{{"x", 0.5}, {"y", 0.5}, {"w", 0.1}, {"h", 0.1}};
    invoke(left(), "nimbo:zoom", whole, 1);
    EXPECT_EQ(answer(left(), 1), nullptr) << "no picture yet";

    invoke(left(), "nimbo:capture", std::nullopt, 2);
    settle();
    const double nan = std::nan("");
    const double huge = std::numeric_limits<double>::max();
    const std::vector<Json> refused = {Json{{"x", 0.5}, {"y", 0.5}, {"w", 0.1}},
                                       Json{{"x", "0.5"}, {"y", 0.5}, {"w", 0.1}, {"h", 0.1}},
                                       Json{{"x", nan}, {"y", 0.5}, {"w", 0.1}, {"h", 0.1}}, Json(7)};
    long long id = 10;
    for (const auto& payload : refused) {
        invoke(left(), "nimbo:zoom", payload, ++id);
        settle();
        EXPECT_EQ(answer(left(), id), nullptr) << payload.dump();
    }
    for (const auto& payload : {Json{{"x", -huge}, {"y", huge}, {"w", -3}, {"h", huge}, {"grow", -1}},
                                Json{{"x", 2}, {"y", -1}, {"w", huge}, {"h", 0}, {"grow", huge}}}) {
        invoke(left(), "nimbo:zoom", payload, ++id);
        settle();
        Json rect = answer(left(), id)["rect"];
        ASSERT_TRUE(rect.is_object()) << payload.dump();
        for (const char* side : {"x", "y", "w", "h"}) {
            EXPECT_GE(rect[side].get<double>(), 0.0);
            EXPECT_LE(rect[side].get<double>(), 1.0);
        }
        EXPECT_LE(rect["x"].get<double>() + rect["w"].get<double>(), 1.0);
        EXPECT_LE(rect["y"].get<double>() + rect["h"].get<double>(), 1.0);
    }
}

TEST_F(ScreenChannelsTest, WatchFrameAnswersTheSendersDisplayOrNull) {
    invoke(right(), "nimbo:watch-frame", Json{{"hideOverlays", false}}, 3);
    Json frame = answer(right(), 3);
    EXPECT_EQ(frame["displayId"], 2);
    EXPECT_EQ(frame["width"], 320);
    EXPECT_EQ(frame["height"], 256);
    sim.capturer.refused = true;
    invoke(right(), "nimbo:watch-frame", std::nullopt, 4);
    EXPECT_EQ(answer(right(), 4), nullptr);
}

TEST_F(ScreenChannelsTest, CursorStreamsUnclampedOnlyWhileThePointerMoves) {
    send(right(), "nimbo:want-cursor", true);
    sim.advance(0.05);
    EXPECT_EQ(cursors(right()), std::vector<Json>{Json({{"x", 580.0 / 1280}, {"y", 524.0 / 1024}})});
    sim.advance(1.0);
    EXPECT_TRUE(cursors(right()).empty()) << "the pointer did not move";

    sim.displays.mouse = {100, 1000};  // on the other display: fractions past the page's own
    sim.advance(0.05);
    EXPECT_EQ(cursors(right()), std::vector<Json>{Json({{"x", -1820.0 / 1280}, {"y", 24.0 / 1024}})});
    EXPECT_TRUE(cursors(left()).empty());

    // Anything but true stops it, and so does a page that goes away.
    send(right(), "nimbo:want-cursor", "yes");
    sim.displays.mouse = {2000, 500};
    sim.advance(0.5);
    EXPECT_TRUE(cursors(right()).empty());
    EXPECT_FALSE(delegate->cursorTimer);
    send(left(), "nimbo:want-cursor", true);
    ASSERT_TRUE(delegate->cursorTimer);
    delegate->forget(left());
    EXPECT_FALSE(delegate->cursorTimer);
}

}  // namespace
}  // namespace nimbo
