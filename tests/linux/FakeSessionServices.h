#pragma once
// Stand-ins for the services that tell the shell about the session: logind on
// a private system bus of the test's own, and a screen saver on the test's
// session bus. Both answer from the main loop, as the real ones answer from
// theirs, so the shell's calls to them must not block.
#include <gio/gio.h>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::test {

class FakeLogind {
public:
    // Starts a private system bus, points DBUS_SYSTEM_BUS_ADDRESS at it and
    // serves logind there, with one session for this process: unlocked and
    // active. Call it before anything in the process uses the system bus. It
    // stays for the life of the process (the process-wide connection to a
    // bus ends the process when the bus goes) and its bus ends with it.
    static FakeLogind& start();

    // The session's properties have been read: the shell follows it now.
    bool watched() const { return propertyReads_ > 0; }

    // Property changes, announced as logind announces them.
    void setLocked(bool locked);
    void setActive(bool active);
    // logind's requests to the screen locker, which leave LockedHint alone.
    void lock() { emit(kSessionPath, "org.freedesktop.login1.Session", "Lock", nullptr); }
    void unlock() { emit(kSessionPath, "org.freedesktop.login1.Session", "Unlock", nullptr); }
    void prepareForSleep(bool starting);

    static constexpr const char* kSessionPath = "/org/freedesktop/login1/session/_31";

private:
    FakeLogind() = default;
    void serve();
    void emit(const char* path, const char* interface, const char* member, GVariant* parameters);
    void announce(const char* property, bool value);
    static GVariant* property(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* name, GError**,
                              gpointer data);

    x11::GObjectPtr<GSubprocess> daemon_;
    x11::GObjectPtr<GDBusConnection> bus_;
    bool locked_ = false;
    bool active_ = true;
    int propertyReads_ = 0;
};

// A screen saver owning org.freedesktop.ScreenSaver on the session bus.
class FakeScreenSaver {
public:
    explicit FakeScreenSaver(bool active);
    ~FakeScreenSaver();
    FakeScreenSaver(const FakeScreenSaver&) = delete;
    FakeScreenSaver& operator=(const FakeScreenSaver&) = delete;
    void setActive(bool active);

private:
    x11::GObjectPtr<GDBusConnection> bus_;
    guint registration_ = 0;
    bool active_;
};

// A connection of the test's own to the session bus, for signals from a
// sender other than the shell.
x11::GObjectPtr<GDBusConnection> ownSessionConnection();
// Asks the bus for `name` on `bus`; whether it became the owner.
bool ownName(GDBusConnection* bus, const char* name);

// Emits ActiveChanged as a screen saver of that interface would.
void emitActiveChanged(GDBusConnection* connection, const char* interface, bool active);

}  // namespace nimbo::test
