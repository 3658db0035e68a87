#include <gtest/gtest.h>

#include "TypingDesk.h"
#include "screen/Elements.h"

namespace nimbo {
namespace {

constexpr std::uint64_t kChord = 0x180000;
const std::string kSendNeedsConfirm = "tap ⌘⌥ or click Send to send it";
const std::string kTypeNeedsGesture = "hold ⌘⌥ and say it, or tap to paste it";

class TypingRequestsTest : public testing::TypingDesk {
protected:
    // The answer to one invoke, after what it started has finished.
    Json invoke(const std::string& channel, const Json& payload) {
        auto& web = webOf(*delegate->overlays[0]);
        web.calls.clear();
        web.postMessage(Json{{"kind", "invoke"}, {"channel", channel}, {"id", 1}, {"payload", payload}});
        sim.advance(0.5);
        sim.background.drain();
        sim.runUntilIdle();
        return web.resolved().empty() ? Json("no answer") : web.resolved().back().second;
    }
    Json type(Json payload) { return invoke("nimbo:type", payload); }
    // A fraction of the display, from a global point.
    static Json at(Point point) { return {{"x", point.x / 1512}, {"y", point.y / 982}}; }
    static Json refused(const std::string& why) {
        return {{"ok", false}, {"submitted", false}, {"into", nullptr}, {"why", why}};
    }
    void holdEnded(double ago) { Actions::lastHold = {{sim.now() - ago - 1, sim.now() - ago}}; }
};

TEST_F(TypingRequestsTest, TypingNeedsAGestureAndSendingAFreshConfirmThatSendsOnce) {
    EXPECT_EQ(type({{"text", "a"}}), refused(kTypeNeedsGesture));
    EXPECT_EQ(type({{"text", "a"}, {"submit", true}}), refused(kSendNeedsConfirm));
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{
                                    "nimbo: refused to type — no tap, click or hold of theirs behind it",
                                    "nimbo: refused to type and send — no tap, click or hold of theirs behind it"}));
    holdEnded(20);
    EXPECT_EQ(type({{"text", "a"}})["ok"], true);
    EXPECT_EQ(type({{"text", "a"}, {"submit", true}}), refused(kSendNeedsConfirm));
    holdEnded(26);
    EXPECT_EQ(type({{"text", "a"}}), refused(kTypeNeedsGesture));
    sim.keys.setFlags(kChord);
    sim.runUntilIdle();
    EXPECT_EQ(type({{"text", "a"}})["ok"], true);
    sim.keys.setFlags(0);
    sim.runUntilIdle();
    holdEnded(26);  // that hold is long over

    delegate->confirmedAt = sim.now() - 3;
    EXPECT_EQ(type({{"text", "b"}, {"submit", true}})["submitted"], true);
    EXPECT_EQ(type({{"text", "b"}, {"submit", true}}), refused(kSendNeedsConfirm));
    delegate->confirmedAt = sim.now() - 4;
    EXPECT_EQ(type({{"text", "b"}, {"submit", "yes"}}), refused(kTypeNeedsGesture));
    EXPECT_EQ(valueOf(box), "Hi aab");
    EXPECT_EQ(sim.input.keys.size(), 1u);
}

TEST_F(TypingRequestsTest, ASpokenYesNeedsAHoldThatBeganAfterTheCard) {
    delegate->stagedAt = sim.now() - 20;
    Actions::lastHold = {{sim.now() - 21, sim.now() - 1}};
    const Json no{{"ok", false}, {"why", "no hold after the card"}};
    EXPECT_EQ(invoke("nimbo:confirm-spoken", nullptr), no);
    Actions::lastHold = {{sim.now() - 14, sim.now() - 12}};
    EXPECT_EQ(invoke("nimbo:confirm-spoken", nullptr), no);
    Actions::lastHold = {{sim.now() - 14, sim.now() - 11.9}};
    const double now = sim.now();
    EXPECT_EQ(invoke("nimbo:confirm-spoken", nullptr), (Json{{"ok", true}}));
    EXPECT_EQ(delegate->confirmedAt, now);
    EXPECT_FALSE(Actions::lastHold || delegate->stagedAt);
    EXPECT_EQ(invoke("nimbo:confirm-spoken", nullptr), no);
}

TEST_F(TypingRequestsTest, TypesIntoTheFieldThePageSeesAtAPoint) {
    holdEnded(1);
    sim.ax.focused = nullptr;
    EXPECT_EQ(
        type({{"text", "there"}, {"at", at(kInBox)}}),
        (Json{{"ok", true}, {"submitted", false}, {"why", nullptr}, {"into", "Notes, written"}, {"verified", true}}));
    EXPECT_TRUE(sim.ax.focused == box && sim.input.clicks.empty());
    EXPECT_EQ(invoke("nimbo:field-at", at(kInBox)),
              (Json{{"x", 100.0 / 1512}, {"y", 200.0 / 982}, {"w", 400.0 / 1512}, {"h", 30.0 / 982}}));
    EXPECT_EQ(invoke("nimbo:field-at", at({700, 600})), nullptr);
    EXPECT_EQ(invoke("nimbo:field-at", {{"x", "1"}, {"y", 0.2}}), nullptr);
}

TEST_F(TypingRequestsTest, AListedFieldThatMovedIsNotTypedInto) {
    holdEnded(1);
    sim.ax.apps[kNotes].root->attributes["AXWindows"] = std::vector<platform::AXRef>{window};
    Elements::build({}, {{0, 0}, {1512, 982}}, 7);
    sim.ax.setFrame(box, {{100, 241}, {400, 30}});
    EXPECT_EQ(type({{"text", "x"}, {"capture", 7}, {"elementId", "e1"}}), refused("the screen changed — ask me again"));
    EXPECT_EQ(sim.output.lines.back(), "nimbo: type refused — the screen changed — ask me again");
    EXPECT_EQ(valueOf(box), "Hi ");
}

TEST_F(TypingRequestsTest, ABoxItCanOnlyClickIntoIsLookedForOnScreen) {
    holdEnded(1);
    sim.ax.focused = nullptr;
    const Point inBlind{700, 600};
    sim.ax.apps[kNotes].root->attributes["AXManualAccessibility"] = false;
    reads({"Hello there"});
    EXPECT_EQ(
        type({{"text", "hello there"}, {"at", at(inBlind)}}),
        (Json{{"ok", true}, {"submitted", false}, {"why", nullptr}, {"into", "Notes, pasted"}, {"verified", true}}));
    EXPECT_EQ(sim.input.clicks, (std::vector<Point>{inBlind}));

    delegate->confirmedAt = sim.now();
    EXPECT_EQ(type({{"text", "hello there"}, {"at", at(inBlind)}, {"submit", true}})["why"],
              "typed — press Return to send it");
    EXPECT_TRUE(sim.input.keys.empty());
    reads({"Hello"});
    EXPECT_EQ(type({{"text", "hello there"}, {"at", at(inBlind)}}),
              (Json{{"ok", false},
                    {"submitted", false},
                    {"into", "Notes, pasted"},
                    {"verified", false},
                    {"why", "I pasted it, but I can't see it in the box — have a look"}}));
    sim.capturer.refused = true;
    EXPECT_EQ(type({{"text", "hello there"}, {"at", at(inBlind)}})["verified"], false);
    sim.grants.accessibility = false;
    EXPECT_EQ(type({{"text", "hello there"}, {"at", at(inBlind)}})["ok"], false);
    const std::string saw = "nimbo: typed by a click at the box — ";
    EXPECT_EQ(sim.output.lines,
              (std::vector<std::string>{saw + "seen on screen", saw + "seen on screen", saw + "NOT seen on screen",
                                        saw + "could not look",
                                        saw + "failed: I need Accessibility permission to type — I've opened "
                                              "Settings; add nimbo, then restart me."}));

    // Where the page named a box but none is to be seen, it is clicked into only where that can help.
    sim.grants.accessibility = true;
    sim.output.lines.clear();
    sim.ax.add(window, "AXButton", "Go", {{600, 500}, {80, 30}});
    EXPECT_EQ(type({{"text", "x"}, {"at", at({610, 510})}, {"target", "To"}}),
              refused("that's a button, not a box — click in the box, then ask me again"));
    sim.stacking.windows->front().bounds = Rect{{0, 0}, {1000, 800}};
    EXPECT_EQ(type({{"text", "x"}, {"at", at({1510, 900})}, {"target", "To"}}),
              refused("I can't see a window there — click in the box, then ask me again"));
    EXPECT_EQ(sim.output.lines.front(),
              "nimbo: type refused — that's a button, not a box — click in the box, then ask me again");
}

}  // namespace
}  // namespace nimbo
