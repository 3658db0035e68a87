#pragma once
// Secrets kept by the desktop's secret service (gnome-keyring, KWallet, KeePassXC)
// over the freedesktop Secret Service API, through libsecret.
//
// Items carry a schema of the shell's own, "dev.nimbo.Secret", with two
// attributes: "service" (who the secret belongs to, e.g. "dev.nimbo.Shell") and
// "account". Values are stored as given, content type text/plain.
//
// Nothing here ever prompts or falls back to a file: where no secret service
// answers, or its default collection is locked, a write is refused with a log
// line and a read finds nothing. Each operation runs its D-Bus traffic on a
// context of its own, bounded in time, so the main loop is held up briefly at
// most and no other source runs in the middle of an operation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nimbo::x11 {

class SecretStore {
public:
    enum class Outcome {
        done,
        absent,  // no secret service on the session bus, or none that answers in time
        locked,  // the collection or item is locked; the shell never prompts
        failed,  // the service answered with an error
    };

    explicit SecretStore(std::string service, unsigned timeoutMilliseconds = 3000);

    // The stored bytes; absent when there is no item, it is locked or no service answers.
    std::optional<std::vector<std::uint8_t>> read(const std::string& account) const;
    // Creates or replaces the item in the default collection.
    Outcome write(const std::string& account, const std::vector<std::uint8_t>& data) const;
    // Deletes every item of the account; done when none is left (or none was there).
    Outcome erase(const std::string& account) const;

    const std::string& service() const { return service_; }

private:
    std::string service_;
    unsigned timeout_;
};

}  // namespace nimbo::x11
