#pragma once
#include <gio/gio.h>

#include <functional>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

// One shell per desktop session: the running shell owns a well-known name on
// the session bus and answers "Reopen" there; a later launch finds the name
// taken, calls "Reopen" on its owner and leaves. Without a session bus every
// launch runs on its own.
class SingleInstance {
public:
    static constexpr const char* busName = "dev.nimbo.Shell";
    static constexpr const char* objectPath = "/dev/nimbo/Shell";
    static constexpr const char* interfaceName = "dev.nimbo.Shell";

    enum class Claim {
        owned,        // this process holds the name and answers "Reopen"
        handedOver,   // another process holds it and was asked to reopen
        unavailable,  // no usable session bus: run anyway
    };

    // `onReopen` runs on the main loop for every "Reopen" received while the name is held.
    explicit SingleInstance(std::function<void()> onReopen);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Connects to the session bus and asks for the name; blocks for at most a few seconds.
    Claim claim();
    // Gives the name back and leaves the bus; nothing once it is not held.
    void release();

private:
    Claim claimOnce(bool& ownerVanished);
    static void onMethodCall(GDBusConnection*, const gchar* sender, const gchar* path, const gchar* interface,
                             const gchar* method, GVariant* parameters, GDBusMethodInvocation* invocation,
                             gpointer data);

    std::function<void()> onReopen_;
    GObjectPtr<GDBusConnection> bus_;
    guint registration_ = 0;
};

}  // namespace nimbo::x11
