// The chord and the lock screen: while the session is locked or a screen
// saver is on, input counts as secure and the key tap hears nothing, without
// being taken for deaf. Super+Alt typed through XTest as a user would; logind
// on a private system bus, screen savers on the test's session bus.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FakeSessionServices.h"
#include "HeldChord.h"

namespace nimbo::test {
namespace {

class AtTheLockScreen : public HeldChord {
protected:
    bool secure() { return desktop().keyTaps().secureInputEnabled(); }

    // A hold that is not heard, long enough for the watchdog to look at the tap.
    void holdUnheard() {
        keyboard_.chord({XK_Super_L, XK_Alt_L}, 1.3);
        EXPECT_EQ(heard(0), std::vector<std::string>{});
        EXPECT_FALSE(hotkey_.deaf);
    }
    // A hold that is heard as it always is.
    void holdHeard() {
        heard_.clear();
        keyboard_.chord({XK_Super_L, XK_Alt_L});
        EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "release"}));
    }
};

class SecureInput : public AtTheLockScreen {
protected:
    static void SetUpTestSuite() { FakeLogind::start(); }
    void SetUp() override {
        AtTheLockScreen::SetUp();
        ASSERT_TRUE(waitUntil([&] { return logind_.watched(); })) << "the session was never read";
        ASSERT_FALSE(secure());
    }

    FakeLogind& logind_ = FakeLogind::start();
};

TEST_F(SecureInput, LockedOrUnderAScreenSaverTheChordIsNotHeardAndTheTapNotDeaf) {
    auto saver = ownSessionConnection();
    const std::pair<const char*, std::function<void(bool)>> sources[] = {
        {"LockedHint", [&](bool on) { logind_.setLocked(on); }},
        {"Lock and Unlock", [&](bool on) { on ? logind_.lock() : logind_.unlock(); }},
        {"freedesktop screen saver",
         [&](bool on) { emitActiveChanged(saver.get(), "org.freedesktop.ScreenSaver", on); }},
        {"GNOME screen saver", [&](bool on) { emitActiveChanged(saver.get(), "org.gnome.ScreenSaver", on); }},
    };
    for (const auto& [name, lock] : sources) {
        SCOPED_TRACE(name);
        lock(true);
        ASSERT_TRUE(waitUntil([&] { return secure(); }));
        lock(false);
        ASSERT_TRUE(waitUntil([&] { return !secure(); }));
    }
    logind_.setLocked(true);
    ASSERT_TRUE(waitUntil([&] { return secure(); }));
    holdUnheard();
    logind_.setLocked(false);
    ASSERT_TRUE(waitUntil([&] { return !secure(); }));
    holdHeard();
}

TEST_F(SecureInput, AHoldTheLockComesIntoIsCancelledOnceAndNeverReleased) {
    keyboard_.press(XK_Super_L);
    keyboard_.press(XK_Alt_L);
    ASSERT_EQ(heard(1), std::vector<std::string>{"press"});
    logind_.setLocked(true);
    EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "cancel"}));
    // Let go at the lock screen, where the password is typed.
    keyboard_.release(XK_Alt_L);
    keyboard_.release(XK_Super_L);
    keyboard_.tap(XK_a);
    runFor(0.2);
    logind_.setLocked(false);
    ASSERT_TRUE(waitUntil([&] { return !secure(); }));
    EXPECT_EQ(heard(2), (std::vector<std::string>{"press", "cancel"}));
    holdHeard();
}

// A screen saver already on when the shell starts listening counts at once.
class SecureInputAtStart : public AtTheLockScreen {
protected:
    static void SetUpTestSuite() {
        FakeLogind::start();
        saver_ = new FakeScreenSaver(true);
    }
    static void TearDownTestSuite() { delete saver_; }
    static FakeScreenSaver* saver_;
};
FakeScreenSaver* SecureInputAtStart::saver_ = nullptr;

TEST_F(SecureInputAtStart, AScreenSaverOnAlreadyHoldsTheChordBack) {
    ASSERT_TRUE(waitUntil([&] { return secure(); }));
    holdUnheard();
    saver_->setActive(false);
    ASSERT_TRUE(waitUntil([&] { return !secure(); }));
    holdHeard();
}

}  // namespace
}  // namespace nimbo::test
