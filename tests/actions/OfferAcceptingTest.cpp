#include <gtest/gtest.h>

#include "OfferDesk.h"

namespace nimbo {
namespace {

using testing::offerOf;
using testing::refusal;

const Json kCard{{"x", 100}, {"y", 50}, {"w", 200}, {"h", 80}};

class OfferAcceptingTest : public testing::OfferDesk {
protected:
    // A copy offer held from the overlay page, a moment before anything else happens.
    void holdCopy(const std::string& id, bool tap = false) {
        ASSERT_EQ(propose(offerOf(id, {{"do", "copy"}, {"text", "copied " + id}}, std::nullopt, tap))["ok"], true);
        sim.advance(0.5);
    }
    Json speech(const std::string& id, long long invokeId) {
        invoke(overlay(), "nimbo:offer-speech", Json{{"id", id}}, invokeId);
        settle();
        return answer(overlay(), invokeId);
    }
    static Json result(const std::string& id, const std::string& by) {
        return Json{{"id", id}, {"ok", true}, {"why", nullptr}, {"by", by}, {"kind", "copy"}};
    }
};

TEST_F(OfferAcceptingTest, AClickOnTheCardAcceptsOnceWithinASecondAndAHalfAndSixPoints) {
    holdCopy("c");
    pressCaption({150, 90});
    sim.advance(1.5);
    EXPECT_EQ(acceptClick("c", kCard, 1), refusal("no click"));
    // 7 points outside, and the far edges of the card grown by 6.
    for (Point outside : {Point{93, 90}, Point{150, 43}, Point{306, 90}, Point{150, 136}}) {
        pressCaption(outside);
        EXPECT_EQ(acceptClick("c", kCard, 2), refusal("no click")) << outside.x << "," << outside.y;
    }
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", {{"x", 100}, {"y", 50}, {"w", 200}}, 3), refusal("no click"));
    // Another card's click is used up; the offer stays.
    EXPECT_EQ(acceptClick("other", kCard, 4), refusal("that offer has gone"));
    EXPECT_EQ(acceptClick("c", kCard, 5), refusal("no click"));
    pressCaption({95, 45});
    EXPECT_EQ(acceptClick("c", kCard, 6), result("c", "click"));
    EXPECT_EQ(sim.clipboard.string(), "copied c");
    EXPECT_EQ(done(overlay()), std::vector<Json>{result("c", "click")});
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: offer copy by click — done"});
    EXPECT_FALSE(Actions::held());
}

TEST_F(OfferAcceptingTest, OnlyAGestureAfterTheOfferWasHeldAndFromTheCaptionCounts) {
    pressCaption({150, 90});
    sim.advance(0.2);
    holdCopy("c");
    EXPECT_EQ(acceptClick("c", kCard, 1), refusal("that offer has gone"));
    // Nor a click at the very moment it was held.
    invoke(overlay(), "nimbo:offer", offerOf("d", {{"do", "copy"}, {"text", "d"}}), 2);
    pressCaption({150, 90});
    settle();
    EXPECT_EQ(acceptClick("d", kCard, 3), refusal("that offer has gone"));
    // The overlay page shows no card, so its clicks accept nothing.
    windowOf(overlay()).setIgnoresMouse(false);
    windowOf(overlay()).click({150, kDisplay.size.height - 90});
    invoke(overlay(), "nimbo:offer-accept", Json{{"id", "d"}, {"rect", kCard}}, 4);
    settle();
    EXPECT_EQ(answer(overlay(), 4), refusal("no click"));
    EXPECT_EQ(Actions::held()->id, "d");
    EXPECT_EQ(sim.clipboard.writes, 0);
}

TEST_F(OfferAcceptingTest, NoGestureTakesAnOfferThreeHundredSecondsOld) {
    holdCopy("c", true);
    sim.advance(299.5);
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", kCard), refusal("that offer has gone"));
    chord(0.1);
    EXPECT_TRUE(delegate->confirmedAt);
    chord(0.6);
    EXPECT_EQ(speech("c", 9), refusal("that offer has gone"));
    EXPECT_EQ(sim.clipboard.writes, 0);
    EXPECT_TRUE(Actions::held());
}

TEST_F(OfferAcceptingTest, ATapAcceptsAnOfferThatAllowsItInsteadOfConfirming) {
    holdCopy("c", false);
    chord(0.1);
    EXPECT_EQ(sim.clipboard.writes, 0);
    EXPECT_TRUE(delegate->confirmedAt);
    delegate->confirmedAt.reset();

    // The proposing page gone, the result goes to the page the tap went to: here the steering one.
    auto other = addOverlay(display(2, {{1280, 0}, {1280, 1024}}, 1.0));
    holdCopy("t", true);
    delegate->offerOwner.reset();
    delegate->steerOwners.push_back(other);
    chord(0.1);
    EXPECT_EQ(sim.clipboard.string(), "copied t");
    EXPECT_FALSE(delegate->confirmedAt);
    EXPECT_EQ(done(*other), std::vector<Json>{result("t", "tap")});
    for (const auto& [channel, payload] : webOf(*other).emitted()) EXPECT_NE(channel, "nimbo:confirm");

    // A page that goes away takes its offer with it; a double tap puts one away.
    ASSERT_EQ(propose(offerOf("x", {{"do", "copy"}, {"text", "x"}}), *other)["ok"], true);
    delegate->forget(*other);
    EXPECT_FALSE(Actions::held());
    holdCopy("y", true);
    chord(0.1, 0.1);
    chord(0.1);
    EXPECT_FALSE(Actions::held());
}

TEST_F(OfferAcceptingTest, ASpokenYesNeedsAHoldThatEndedUnderTwelveSecondsAgo) {
    holdCopy("c");
    EXPECT_EQ(speech("c", 1), refusal("no hold"));
    chord(0.6);
    sim.advance(Actions::lastHold->second + 12.0 - sim.now());
    EXPECT_EQ(speech("c", 2), refusal("no hold"));
    chord(0.6);
    EXPECT_EQ(speech("wrong", 3), refusal("that offer has gone"));
    EXPECT_EQ(speech("c", 4), result("c", "speech"));  // a wrong id did not use the hold up
    EXPECT_EQ(done(overlay()), std::vector<Json>{result("c", "speech")});
    EXPECT_FALSE(Actions::lastHold);
}

TEST_F(OfferAcceptingTest, ScrollingRunsOffTheMainThreadAndARefusalIsReportedWithItsWhy) {
    ASSERT_EQ(propose(offerOf("s", {{"do", "scroll"}, {"find", "totals"}}))["ok"], true);
    sim.advance(0.5);
    pressCaption({150, 90});
    invoke(caption(), "nimbo:offer-accept", Json{{"id", "s"}, {"rect", kCard}}, 3);
    sim.runUntilIdle();
    EXPECT_EQ(answer(caption(), 3), nullptr);
    settle();
    const Json refused{{"id", "s"}, {"ok", false}, {"why", "no window in front"}, {"by", "click"}, {"kind", "scroll"}};
    EXPECT_EQ(answer(caption(), 3), refused);
    EXPECT_EQ(done(overlay()), std::vector<Json>{refused});
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: offer scroll by click — refused: no window in front"});
    Actions::Pending flying;
    flying.kind = "fly";
    Actions::report("tap", flying, false, std::nullopt);
    EXPECT_EQ(sim.output.lines.back(), "nimbo: offer fly by tap — refused: ?");
}

}  // namespace
}  // namespace nimbo
