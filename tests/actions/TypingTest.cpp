#include <gtest/gtest.h>

#include "TypingDesk.h"

namespace nimbo {
namespace {

using TypingTest = testing::TypingDesk;
using Typing::kMarker;

const platform::PasteboardItem kPicture{{{"image/png", "PNG bytes"}, {"public.tiff", "TIFF"}}};

TEST_F(TypingTest, WrittenWhereTheFieldTakesItElsePastedAndChecked) {
    sim.app.front = platform::RunningApp{5, "Mail"};
    auto written = Typing::type("there", false, box);
    EXPECT_TRUE(written.ok && written.verified && sim.clipboard.writes == 0);
    EXPECT_EQ(written.into, "Notes, written");
    // A field that answers the write and drops it is pasted into instead.
    box->ignoresWrites = true;
    auto pasted = Typing::type("!", true, box);
    EXPECT_TRUE(pasted.ok && pasted.verified && pasted.submitted);
    EXPECT_EQ(pasted.into, "Notes, pasted");
    EXPECT_EQ(valueOf(box), "Hi there!");
    EXPECT_EQ(sim.input.pastes, std::vector<std::int64_t>{kMarker});
    ASSERT_EQ(sim.input.keys.size(), 1u);
    EXPECT_TRUE(sim.input.keys[0].keyCode == 36 && sim.input.keys[0].marker == kMarker);

    EXPECT_EQ(Typing::type("", false, box).why, "nothing to type");
    sim.app.front.reset();
    EXPECT_EQ(Typing::named(nullptr, "pasted"), "an app it could not name, pasted");
    sim.grants.accessibility = false;
    EXPECT_EQ(Typing::type("x", false, box).why,
              "I need Accessibility permission to type — I've opened Settings; add nimbo, then restart me.");
    EXPECT_EQ(sim.desktop.panes, std::vector<std::string>{"Privacy_Accessibility"});
}

TEST_F(TypingTest, APasteThatNeverShowsInTheFieldIsNotSent) {
    box->ignoresWrites = true;
    sim.input.onPaste = nullptr;
    auto result = Typing::type("you", true, box);
    EXPECT_EQ(result.why, "it didn't go in — click in the box, then ask me again");
    EXPECT_TRUE(!result.submitted && sim.input.keys.empty() && sim.input.pastes.size() == 1);
}

TEST_F(TypingTest, TheUsersClipboardComesBackUnlessTheyCopiedMeanwhile) {
    sim.ax.focused = nullptr;  // nothing to write into: every text is pasted
    sim.clipboard.contents = {kPicture, platform::PasteboardItem{}};
    EXPECT_TRUE(Typing::type("typed", false, nullptr).ok);
    sim.advance(0.44);
    EXPECT_EQ(sim.clipboard.string(), "typed");
    sim.advance(0.02);
    EXPECT_EQ(sim.clipboard.contents, std::vector{kPicture});

    Typing::type("typed", false, nullptr);
    sim.advance(0.2);
    sim.clipboard.setString("theirs");
    sim.advance(1);
    EXPECT_EQ(sim.clipboard.string(), "theirs");

    sim.clipboard.contents.clear();
    Typing::type("typed", false, nullptr);
    sim.advance(1);
    EXPECT_EQ(sim.clipboard.string(), "typed");

    // Text that can't be put on the clipboard is never pasted: the old contents would be.
    sim.clipboard.contents = {kPicture};
    sim.clipboard.takes = false;
    EXPECT_FALSE(Typing::type("typed", false, nullptr).ok);
    EXPECT_EQ(sim.input.pastes.size(), 3u);
    EXPECT_EQ(sim.clipboard.contents, std::vector{kPicture});
}

TEST_F(TypingTest, FocusGoesToTheFieldUnderAPointAndClicksOnlyWhereTheClickLands) {
    sim.ax.add(box, "AXStaticText", "Hi", {{110, 205}, {50, 20}});
    auto target = *Actions::field({120, 210});
    EXPECT_TRUE(target.ax == box && target.role == "text field" && target.rect == kBox);
    EXPECT_FALSE(Actions::field({120, 400}));

    box->refusesFocus = true;
    sim.ax.focused = nullptr;
    sim.app.front = platform::RunningApp{5, "Mail"};
    EXPECT_TRUE(Actions::focus(target).ok);
    EXPECT_EQ(sim.apps.activated, std::vector<int>{kNotes});
    EXPECT_EQ(sim.input.clicks, (std::vector<Point>{{300, 215}}));

    sim.stacking.windows->insert(sim.stacking.windows->begin(), {88, 0, std::nullopt, kBox, 2});
    EXPECT_EQ(Actions::focus(target).why, "something else is there now — ask me again");
    sim.ax.setFrame(box, {{141, 200}, {400, 30}});
    EXPECT_EQ(Actions::focus(target).why, "the screen changed — ask me again");
    EXPECT_EQ(Actions::focus({}).why, "that field isn't on screen any more");
    EXPECT_EQ(sim.input.clicks.size(), 1u);
}

TEST_F(TypingTest, AnUnseenBoxIsClickedIntoWithThePointerPutBack) {
    sim.input.at = Point{5, 5};
    EXPECT_TRUE(Actions::clickToFocus({700, 600}).ok);
    EXPECT_EQ(sim.input.clicks, (std::vector<Point>{{700, 600}}));
    EXPECT_TRUE((sim.input.warps == std::vector<Point>{{5, 5}}) && Actions::lastOwnClick);

    // Only an application that switched its tree off counts as one whose fields can't be seen.
    EXPECT_FALSE(Actions::blindApp(kInBox));
    for (const platform::AXValue& manual :
         {platform::AXValue{true}, platform::AXValue{0.0}, platform::AXValue{false}}) {
        sim.ax.apps[kNotes].root->attributes["AXManualAccessibility"] = manual;
        EXPECT_EQ(Actions::blindApp(kInBox), manual == platform::AXValue{false});
    }
}

class SeenTest : public testing::TypingDesk {
protected:
    std::optional<bool> look(const std::string& typed, Point near, const std::vector<std::string>& read = {}) {
        reads(read);
        std::optional<std::optional<bool>> answer;
        Typing::seen(typed, near, sim.displays.list[0], [&](std::optional<bool> seen) { answer = seen; });
        sim.advance(0.35);
        sim.background.drain();
        sim.runUntilIdle();
        EXPECT_TRUE(answer);
        return answer.value_or(std::nullopt);
    }
    static constexpr Point kMiddle{756, 491};
};

TEST_F(SeenTest, SeenWhenEitherEndOfTheTextShowsInARow) {
    const std::string typed = "Please send the quarterly report to Dana today";
    EXPECT_EQ(look(typed, kMiddle, {"PLEASE SEND THE QUARTERLY", "numbers"}), true);
    EXPECT_EQ(look(typed, kMiddle, {"…the report to Dana today."}), true);
    EXPECT_EQ(look(typed, kMiddle, {"today Dana to report", "quarterly the send please"}), false);
    EXPECT_EQ(look(typed, kMiddle, {"Please send the", "invoice to Dana today"}), false);
    EXPECT_EQ(look("cat", kMiddle, {"concatenate"}), false);
    EXPECT_EQ(look("don’t stop", kMiddle, {"Don't stop"}), true);
}

TEST_F(SeenTest, LooksAroundThePointInPixelsOrSaysItCouldNotLook) {
    sim.ocr.sizes.clear();
    look("hello", kMiddle);
    look("hello", {100.2, 491});
    EXPECT_EQ(sim.ocr.sizes, (std::vector<std::pair<int, int>>{{2080, 480}, {1241, 480}}));

    EXPECT_EQ(look("hello", {2011, 491}), false);  // 21 points of the display left to look at
    EXPECT_EQ(look("hello", {2012, 491}), std::nullopt);
    EXPECT_EQ(look("?!", kMiddle), std::nullopt);
    sim.capturer.refused = true;
    EXPECT_EQ(look("hello", kMiddle), std::nullopt);
}

}  // namespace
}  // namespace nimbo
