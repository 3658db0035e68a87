#include <gtest/gtest.h>

#include "OfferDesk.h"

namespace nimbo {
namespace {

using testing::offerOf;

const Json kCard{{"x", 100}, {"y", 50}, {"w", 200}, {"h", 80}};

class OfferAcceptingTest : public testing::OfferDesk {
protected:
    // A copy offer held from the overlay page, a moment before anything else happens.
    void holdCopy(const std::string& id = "c", bool tapAllowed = false) {
        ASSERT_EQ(propose(offerOf(id, {{"do", "copy"}, {"text", "copied " + id}}, std::nullopt, tapAllowed))["ok"],
                  true);
        sim.advance(0.5);
    }
    static Json refusal(const std::string& why) { return Json{{"ok", false}, {"why", why}}; }
    static Json result(const std::string& id, const std::string& by, const std::string& kind = "copy") {
        return Json{{"id", id}, {"ok", true}, {"why", nullptr}, {"by", by}, {"kind", kind}};
    }
    std::optional<std::string> clipboard() { return sim.clipboard.string(); }
    // Moves the clock to `seconds` after the last hold ended (the capture after it takes time too).
    void sinceHoldEnded(double seconds) {
        ASSERT_TRUE(Actions::lastHold);
        sim.advance(Actions::lastHold->second + seconds - sim.now());
    }
};

TEST_F(OfferAcceptingTest, AClickOnTheCardRunsTheOfferOnceAndTellsTheProposingPage) {
    holdCopy();
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", kCard), result("c", "click"));
    EXPECT_EQ(clipboard(), "copied c");
    EXPECT_EQ(done(overlay()), std::vector<Json>{result("c", "click")});
    EXPECT_TRUE(done(caption()).empty());
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: offer copy by click — done"});
    EXPECT_FALSE(Actions::held());
    // The click was used up.
    EXPECT_EQ(acceptClick("c", kCard, 8), refusal("no click"));
}

TEST_F(OfferAcceptingTest, AClickCountsForASecondAndAHalfAndSixPointsAroundTheCard) {
    holdCopy();
    pressCaption({150, 90});
    sim.advance(1.5);
    EXPECT_EQ(acceptClick("c", kCard, 1), refusal("no click"));
    // Outside by 7 points on each side, then by 6 points on the far sides (the
    // card's own edge is not in it), then 5 points left: accepted.
    for (Point outside :
         {Point{93, 90}, Point{307, 90}, Point{150, 43}, Point{150, 137}, Point{306, 90}, Point{150, 136}}) {
        pressCaption(outside);
        EXPECT_EQ(acceptClick("c", kCard, 2), refusal("no click")) << outside.x << "," << outside.y;
    }
    pressCaption({95, 45});
    EXPECT_EQ(acceptClick("c", kCard, 3), result("c", "click"));
}

TEST_F(OfferAcceptingTest, AClickNeedsTheCardsRectangleAndTheRightOffer) {
    holdCopy();
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", Json{{"x", 100}, {"y", 50}, {"w", 200}}, 1), refusal("no click"));
    EXPECT_EQ(acceptClick("c", "card", 2), refusal("no click"));
    // Another offer's card: the click is spent, the held offer stays.
    EXPECT_EQ(acceptClick("other", kCard, 3), refusal("that offer has gone"));
    EXPECT_EQ(Actions::held()->id, "c");
    EXPECT_TRUE(done(overlay()).empty());
    EXPECT_EQ(acceptClick("c", kCard, 4), refusal("no click"));
    // A card measured from its far corner is the same card.
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", Json{{"x", 300}, {"y", 130}, {"w", -200}, {"h", -80}}, 5), result("c", "click"));
}

TEST_F(OfferAcceptingTest, AClickBeforeTheOfferWasHeldDoesNotTakeIt) {
    pressCaption({150, 90});
    sim.advance(0.2);
    holdCopy();
    EXPECT_EQ(acceptClick("c", kCard, 1), refusal("that offer has gone"));
    EXPECT_EQ(Actions::held()->id, "c");
    // Nor does one at the very moment it was held.
    invoke(overlay(), "nimbo:offer", offerOf("d", {{"do", "copy"}, {"text", "d"}}), 2);
    pressCaption({150, 90});
    settle();
    EXPECT_EQ(acceptClick("d", kCard, 3), refusal("that offer has gone"));
    EXPECT_EQ(Actions::held()->id, "d");
    EXPECT_EQ(sim.clipboard.writes, 0);
}

TEST_F(OfferAcceptingTest, OnlyTheCaptionPageMayAcceptByClick) {
    holdCopy();
    windowOf(overlay()).setIgnoresMouse(false);
    windowOf(overlay()).click({150, kDisplay.size.height - 90});  // on the card, were it there
    invoke(overlay(), "nimbo:offer-accept", Json{{"id", "c"}, {"rect", kCard}}, 4);
    settle();
    EXPECT_EQ(answer(overlay(), 4), refusal("no click"));
    EXPECT_TRUE(Actions::held());
}

TEST_F(OfferAcceptingTest, NoGestureTakesAnOfferThreeHundredSecondsOld) {
    holdCopy("c", true);
    sim.advance(299.5);  // held exactly 300 s ago
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", kCard), refusal("that offer has gone"));
    tap();
    EXPECT_TRUE(delegate->confirmedAt);
    hold(0.6);
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "c"}}, 9);
    settle();
    EXPECT_EQ(answer(overlay(), 9), refusal("that offer has gone"));
    EXPECT_EQ(sim.clipboard.writes, 0);
    EXPECT_TRUE(Actions::held());
}

TEST_F(OfferAcceptingTest, ATapAcceptsOnlyAnOfferThatAllowsIt) {
    holdCopy("c", false);
    tap();
    // Not an acceptance: the tap confirms as ever.
    EXPECT_EQ(sim.clipboard.writes, 0);
    EXPECT_TRUE(delegate->confirmedAt);
    delegate->confirmedAt.reset();
    holdCopy("t", true);
    webOf(overlay()).calls.clear();
    tap();
    EXPECT_EQ(clipboard(), "copied t");
    EXPECT_FALSE(delegate->confirmedAt);
    EXPECT_EQ(done(overlay()), std::vector<Json>{result("t", "tap")});
    for (const auto& [channel, payload] : webOf(overlay()).emitted()) EXPECT_NE(channel, "nimbo:confirm");
}

TEST_F(OfferAcceptingTest, ATapsResultGoesToTheTappedPageWhenTheProposingPageIsGone) {
    auto other = addOverlay(display(2, {{1280, 0}, {1280, 1024}}, 1.0));
    ASSERT_EQ(propose(offerOf("t", {{"do", "copy"}, {"text", "x"}}, std::nullopt, true), *other)["ok"], true);
    delegate->forget(*other);
    // Its page gone, the offer went with it.
    EXPECT_FALSE(Actions::held());

    holdCopy("t", true);
    delegate->offerOwner.reset();
    // The steering page takes the chord, though the pointer is over the first display.
    delegate->steerOwners.push_back(other);
    tap();
    EXPECT_EQ(done(*other), std::vector<Json>{result("t", "tap")});
    EXPECT_TRUE(done(overlay()).empty());
}

TEST_F(OfferAcceptingTest, ASpokenYesNeedsAHoldThatEndedUnderTwelveSecondsAgo) {
    holdCopy();
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "c"}}, 1);
    settle();
    EXPECT_EQ(answer(overlay(), 1), refusal("no hold"));

    hold(0.6);
    sinceHoldEnded(12.0);
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "c"}}, 2);
    settle();
    EXPECT_EQ(answer(overlay(), 2), refusal("no hold"));
    EXPECT_TRUE(done(overlay()).empty());

    hold(0.6);
    sinceHoldEnded(11.9);
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "wrong"}}, 3);
    settle();
    EXPECT_EQ(answer(overlay(), 3), refusal("that offer has gone"));
    // A wrong id doesn't use the hold up.
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "c"}}, 4);
    settle();
    EXPECT_EQ(answer(overlay(), 4), result("c", "speech"));
    EXPECT_EQ(done(overlay()), std::vector<Json>{result("c", "speech")});
    EXPECT_FALSE(Actions::lastHold);
}

TEST_F(OfferAcceptingTest, ASpokenYesInAHoldThatBeganBeforeTheOfferDoesNotTakeIt) {
    sim.keys.setFlags(kChord);
    sim.runUntilIdle();
    sim.advance(0.3);
    holdCopy();
    sim.keys.setFlags(0);
    settle();
    invoke(overlay(), "nimbo:offer-speech", Json{{"id", "c"}}, 1);
    settle();
    EXPECT_EQ(answer(overlay(), 1), refusal("that offer has gone"));
    EXPECT_TRUE(Actions::held());
}

TEST_F(OfferAcceptingTest, ARefusedRunIsReportedWithItsWhy) {
    ASSERT_EQ(propose(offerOf("s", {{"do", "scroll"}, {"find", "totals"}}))["ok"], true);
    sim.advance(0.5);
    pressCaption({150, 90});
    invoke(caption(), "nimbo:offer-accept", Json{{"id", "s"}, {"rect", kCard}}, 3);
    // Scrolling runs off the main thread, so the answer comes after it.
    sim.runUntilIdle();
    EXPECT_EQ(answer(caption(), 3), nullptr);
    settle();
    const Json refused{
        {"id", "s"}, {"ok", false}, {"why", "I can't scroll to words yet"}, {"by", "click"}, {"kind", "scroll"}};
    EXPECT_EQ(answer(caption(), 3), refused);
    EXPECT_EQ(done(overlay()), std::vector<Json>{refused});
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: offer scroll by click — refused: I can't scroll to words yet"});

    Actions::Pending nothing;
    nothing.id = "n";
    nothing.kind = "fly";
    EXPECT_EQ(Actions::report("tap", nothing, false, std::nullopt),
              (Json{{"id", "n"}, {"ok", false}, {"why", nullptr}, {"by", "tap"}, {"kind", "fly"}}));
    EXPECT_EQ(sim.output.lines.back(), "nimbo: offer fly by tap — refused: ?");
}

TEST_F(OfferAcceptingTest, ADoubleTapPutsTheOfferAway) {
    holdCopy("t", true);
    hold(0.1);
    sim.advance(0.1);
    hold(0.1);
    sim.advance(1.0);
    EXPECT_FALSE(Actions::held());
    EXPECT_EQ(sim.clipboard.writes, 0);
}

}  // namespace
}  // namespace nimbo
