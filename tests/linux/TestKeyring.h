#pragma once
// A real secret service for the tests: gnome-keyring-daemon on the test's
// session bus, its keyrings kept under a home of the test's own, the login
// keyring made and unlocked with a test password.
#include <gio/gio.h>

#include <optional>
#include <string>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::test {

class TestKeyring {
public:
    // Keeps its keyrings in `home`/data/keyrings, as a user's would be.
    explicit TestKeyring(const std::string& home);
    ~TestKeyring();
    TestKeyring(const TestKeyring&) = delete;
    TestKeyring& operator=(const TestKeyring&) = delete;

    // What an outside tool (secret-tool) finds for these attributes.
    std::optional<std::string> lookup(const std::string& service, const std::string& account) const;
    // Locks the login keyring, as a screen locker does.
    void lock();

private:
    std::string home_;
    x11::GObjectPtr<GSubprocess> daemon_;
};

}  // namespace nimbo::test
