#include <gtest/gtest.h>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo {
namespace {

class LaunchTest : public testing::ShellFixture {};

TEST_F(LaunchTest, ReportNamesOriginAndEachGrant) {
    sim.env.variables["NIMBO_URL"] = "http://127.0.0.1:4321";
    sim.grants.screen = false;
    sim.grants.accessibility = false;
    sim.grants.listen = false;
    launch();
    const std::vector<std::string> expected = {
        "nimbo: the key tap waits for Accessibility",
        "nimbo (shell) ready — 0 overlay(s), serving from http://127.0.0.1:4321",
        "  screen recording: NOT granted",
        "  accessibility:    NOT granted — the hotkey cannot see ⌘⌥",
        "  input monitoring: not granted (needed on some Macs for ⌘⌥)",
        "  hold ⌘⌥ and ask about your screen",
    };
    EXPECT_EQ(sim.output.lines, expected);
    EXPECT_TRUE(sim.app.regular);
    EXPECT_TRUE(sim.keys.taps.empty());
}

TEST_F(LaunchTest, FirstCompletionMarksOnboardedOnce) {
    sim.grants.accessibility = false;  // no key tap watchdog among the timers
    launch();
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.onboarded"), true);
    size_t scheduled = sim.mainQueue.pendingCount();
    EXPECT_EQ(scheduled, 1u);  // the control center opens 1.5 s later
    sim.advance(1.5);
    EXPECT_EQ(sim.mainQueue.pendingCount(), 0u);
    delegate->onboarding.onDone();  // a later completion, once onboarded, opens nothing
    EXPECT_EQ(sim.mainQueue.pendingCount(), 0u);
}

TEST_F(LaunchTest, BroadcastReachesControlOnlyOnItsFourChannels) {
    launch();
    auto first = addOverlay();
    auto second = addOverlay();
    delegate->caption = makeOverlay();
    delegate->openControl();
    auto& atControlWeb = sim.controlWindowMaker.made.back()->webView();

    delegate->broadcast("nimbo:caption", Json{{"text", "hi"}});
    for (const char* channel : {"nimbo:pref", "nimbo:personality", "nimbo:quiet", "nimbo:meeting"}) {
        delegate->broadcast(channel, true);
    }
    for (auto* overlay : {first.get(), second.get(), delegate->caption.get()}) {
        auto events = webOf(*overlay).emitted();
        ASSERT_EQ(events.size(), 5u);
        EXPECT_EQ(events[0].first, "nimbo:caption");
    }
    auto atControl = atControlWeb.emitted();
    ASSERT_EQ(atControl.size(), 4u);
    EXPECT_EQ(atControl[0].first, "nimbo:pref");
    EXPECT_EQ(atControl[3].first, "nimbo:meeting");
}

TEST_F(LaunchTest, KeysSentToAnOverlayAreSwallowedAndTheKeyboardHandedBack) {
    launch();
    addOverlay();
    std::shared_ptr<sim::SimPageWindow> overlayWindow = sim.pageWindows.made.back();
    auto other = window();
    overlayWindow->makeKey();

    EXPECT_FALSE(sim.app.deliverKey({platform::KeyEventType::keyDown, 0, nullptr})) << "no window at all";
    EXPECT_TRUE(sim.app.deliverKey({platform::KeyEventType::keyUp, 0, overlayWindow}));
    EXPECT_TRUE(overlayWindow->isKey()) << "a key-up alone doesn't hand the keyboard back";
    EXPECT_TRUE(sim.app.deliverKey({platform::KeyEventType::keyDown, 0, overlayWindow}));
    EXPECT_FALSE(overlayWindow->isKey());

    EXPECT_FALSE(sim.app.deliverKey({platform::KeyEventType::keyDown, 0, other}));
    // Without a window on the event, the application's key window decides.
    sim.app.setKeyWindow(overlayWindow);
    EXPECT_TRUE(sim.app.deliverKey({platform::KeyEventType::keyDown, 0, nullptr}));
    sim.app.setKeyWindow(other);
    EXPECT_FALSE(sim.app.deliverKey({platform::KeyEventType::keyDown, 0, nullptr}));
}

TEST_F(LaunchTest, PrompterGoesToTheFirstLiveSteeringOverlay) {
    launch();
    auto first = addOverlay();
    auto second = addOverlay();
    {
        auto gone = makeOverlay();
        delegate->steerOwners.push_back(gone);
    }
    delegate->steerOwners.push_back(second);
    delegate->startPrompter(Json{{"text", "hello"}});
    EXPECT_TRUE(webOf(*first).emitted().empty());
    ASSERT_EQ(webOf(*second).emitted().size(), 1u);
    EXPECT_EQ(webOf(*second).emitted()[0].first, "nimbo:prompter");

    // No steering page and no display under the pointer: the first overlay.
    delegate->steerOwners.clear();
    delegate->startPrompter(std::nullopt);
    ASSERT_EQ(webOf(*first).emitted().size(), 1u);
    EXPECT_EQ(webOf(*first).emitted()[0].first, "nimbo:prompter");
}

TEST_F(LaunchTest, OpenInAppAnswersFalseOnceTheDelegateIsGone) {
    launch();
    EXPECT_TRUE(Actions::openInApp("/learn/x"));
    sim.app.setDelegate(nullptr);
    delegate.reset();
    EXPECT_FALSE(Actions::openInApp("/learn/x"));
}

class GuideTest : public testing::ShellFixture {};

TEST_F(GuideTest, AccessibilityGrantedLaterRebuildsTheTapOnce) {
    sim.grants.accessibility = false;
    launch();
    sim.output.lines.clear();
    auto& keysReady = delegate->onboarding.keysReady;
    EXPECT_TRUE(keysReady());
    EXPECT_TRUE(keysReady());
    EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: accessibility granted — key tap rebuilt"});
}

TEST_F(GuideTest, DeafnessIsRememberedUntilTheTapListensSteadily) {
    launch();
    auto& keysReady = delegate->onboarding.keysReady;
    auto& first = *sim.keys.taps.front();
    first.refusesEnable = true;
    first.enabled = false;
    sim.output.lines.clear();
    sim.advance(1.0);
    ASSERT_TRUE(delegate->hotkey.deaf);
    EXPECT_EQ(sim.output.lines.back(), "nimbo: the key tap is deaf — walking through Input Monitoring");
    EXPECT_FALSE(keysReady());  // rebuilds the tap
    EXPECT_EQ(sim.keys.taps.size(), 2u);
    EXPECT_FALSE(delegate->hotkey.deaf);
    // Deafness is remembered while the new tap hasn't proved itself, and the
    // tap isn't rebuilt again within two seconds.
    sim.advance(1.0);
    EXPECT_FALSE(keysReady());
    EXPECT_EQ(sim.keys.taps.size(), 2u);
    sim.advance(3.0);
    EXPECT_TRUE(keysReady());
}

}  // namespace
}  // namespace nimbo
