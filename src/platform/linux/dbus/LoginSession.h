#pragma once
// This process's login session as logind tells it on the system bus: locked
// (the LockedHint property, the Lock and Unlock signals), switched away from
// (the Active property going false), and the machine about to sleep. The
// session is the one logind gives for this process, else $XDG_SESSION_ID's.
#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

class LoginSession : public std::enable_shared_from_this<LoginSession> {
public:
    // Starts watching; `interrupted` is called on the main loop each time the
    // machine is about to sleep, the session is locked or switched away from.
    // Without a system bus, logind or a session of ours nothing is reported.
    static std::shared_ptr<LoginSession> watch(std::function<void()> interrupted);
    ~LoginSession();
    LoginSession(const LoginSession&) = delete;
    LoginSession& operator=(const LoginSession&) = delete;

    bool locked() const { return locked_; }

private:
    explicit LoginSession(std::function<void()> interrupted);
    void start();
    void onBus(GDBusConnection* bus);
    void findSession();
    void onSession(const std::string& path);
    void subscribe(const char* path, const char* interface, const char* member, const char* arg0);
    void onSignal(const char* interface, const char* member, GVariant* parameters);
    void readProperties(GVariant* properties);
    void setLocked(bool locked);
    void readAll();
    // Runs `method` of logind asynchronously; `done` gets the reply of
    // `replyType`, or null on failure.
    void call(const char* path, const char* interface, const char* method, GVariant* parameters, const char* replyType,
              std::function<void(GVariant*)> done);

    std::function<void()> interrupted_;
    GObjectPtr<GCancellable> cancellable_;
    GObjectPtr<GDBusConnection> bus_;
    std::vector<guint> subscriptions_;
    std::string sessionPath_;
    bool locked_ = false;
    bool active_ = true;
};

}  // namespace nimbo::x11
