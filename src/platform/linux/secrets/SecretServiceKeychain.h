#pragma once
// The Keychain of the seam over the desktop's secret service (gnome-keyring,
// KWallet, KeePassXC), the freedesktop Secret Service API through libsecret.
//
// Items carry a schema of the shell's own, "dev.nimbo.Secret", with the
// attributes "service" and "account"; values are stored as given.
//
// Nothing here ever prompts or falls back to a file. Where no secret service
// is on the session bus (or none answers in time) a request answers
// notAvailable; where the default keyring or the item is locked,
// interactionNotAllowed. A refused add, the last step of every write, says
// why in the log. Each request runs its D-Bus traffic on a main context of its
// own, bounded in time, so the main loop is held up briefly at most and no
// other source runs in the middle of a request.
#include "platform/Keychain.h"

namespace nimbo::x11 {

class SecretServiceKeychain final : public platform::Keychain {
public:
    explicit SecretServiceKeychain(unsigned timeoutMilliseconds = 2000) : timeout_(timeoutMilliseconds) {}

    platform::KeychainRead copy(const platform::KeychainItem& item) override;
    int add(const platform::KeychainItem& item, const std::string& data) override;
    int update(const platform::KeychainItem& item, const std::string& data) override;
    int remove(const platform::KeychainItem& item) override;

    // The status a request answers when the service replied with an error of its own.
    static constexpr int kServiceError = -26276;

private:
    enum class Mode { add, update };
    int store(const platform::KeychainItem& item, const std::string& data, Mode mode);

    unsigned timeout_;
};

}  // namespace nimbo::x11
