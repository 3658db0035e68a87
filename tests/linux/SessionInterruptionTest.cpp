// Session interruptions as the desktop announces them: logind on a private
// system bus, screen savers on the test's session bus, and the X server's
// own screen saver blanking the displays.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include "Desktop.h"
#include "FakeSessionServices.h"

namespace nimbo::test {
namespace {

// Subscriptions add their match rules without waiting; a round trip on the
// shell's connection makes sure the bus has them before anything is emitted.
void settleSubscriptions() {
    auto bus = x11::GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    GVariant* reply =
        g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "GetId", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
}

class SessionInterruptions : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FakeLogind::start(); }

    void SetUp() override {
        watch_ = desktop().keyTaps().observeSessionInterruptions([this] { ++interruptions_; });
        ASSERT_TRUE(waitUntil([] { return FakeLogind::start().watched(); })) << "the session was never read";
        settleSubscriptions();
    }
    void TearDown() override { watch_->cancel(); }

    // Waits for the interruption count to reach `count`, then a little
    // longer so that one too many would show as well.
    int interruptionsAfter(int count) {
        waitUntil([&] { return interruptions_ >= count; });
        runFor(0.15);
        return interruptions_;
    }

    FakeLogind& logind_ = FakeLogind::start();
    platform::WorkHandle watch_;
    int interruptions_ = 0;
};

TEST_F(SessionInterruptions, AScreenSaverComingOnInterruptsUntilCancelled) {
    auto sender = ownSessionConnection();
    int witnessed = 0;
    auto witness = desktop().keyTaps().observeSessionInterruptions([&] { ++witnessed; });

    emitActiveChanged(sender.get(), "org.freedesktop.ScreenSaver", true);
    EXPECT_EQ(interruptionsAfter(1), 1);
    // The screen saver going away is no interruption; GNOME's says the same as freedesktop's.
    emitActiveChanged(sender.get(), "org.freedesktop.ScreenSaver", false);
    emitActiveChanged(sender.get(), "org.gnome.ScreenSaver", true);
    EXPECT_EQ(interruptionsAfter(2), 2);

    watch_->cancel();
    EXPECT_TRUE(watch_->isCancelled());
    emitActiveChanged(sender.get(), "org.gnome.ScreenSaver", false);
    emitActiveChanged(sender.get(), "org.gnome.ScreenSaver", true);
    ASSERT_TRUE(waitUntil([&] { return witnessed == 3; }));
    EXPECT_EQ(interruptions_, 2);
    witness->cancel();
}

TEST_F(SessionInterruptions, SleepLockingAndSwitchingAwayInterruptTheirEndsDoNot) {
    logind_.prepareForSleep(true);
    EXPECT_EQ(interruptionsAfter(1), 1) << "going to sleep";
    logind_.prepareForSleep(false);
    logind_.setLocked(true);
    EXPECT_EQ(interruptionsAfter(2), 2) << "locked";
    // logind asking for a lock that is already there changes nothing.
    logind_.lock();
    logind_.setLocked(false);
    logind_.setActive(false);
    EXPECT_EQ(interruptionsAfter(3), 3) << "switched away";
    logind_.setActive(true);
    logind_.lock();
    EXPECT_EQ(interruptionsAfter(4), 4) << "asked to lock";
    logind_.unlock();
    logind_.prepareForSleep(true);
    EXPECT_EQ(interruptionsAfter(5), 5);
}

// The X server's screen saver blanking the displays; DPMS power levels come
// the same way on servers that have them (this one does not).
TEST_F(SessionInterruptions, TheDisplaysGoingDarkInterrupts) {
    for (int count : {1, 2}) {
        XForceScreenSaver(xDisplay(), ScreenSaverActive);
        XSync(xDisplay(), False);
        EXPECT_EQ(interruptionsAfter(count), count);
        XForceScreenSaver(xDisplay(), ScreenSaverReset);
        XSync(xDisplay(), False);
    }
}

}  // namespace
}  // namespace nimbo::test
