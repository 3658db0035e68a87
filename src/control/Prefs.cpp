#include "control/Prefs.h"

#include "base/Log.h"
#include "bridge/Bridge.h"
#include "control/Keychain.h"

namespace nimbo::Prefs {

const std::set<std::string> keys{"profile", "scripts", "apps", "cursor", "spatial", "board", "appearance"};
const std::set<std::string> overlay{"profile", "cursor", "spatial"};
const std::set<std::string> secret{"apps"};

namespace {

std::string storedUnder(const std::string& key) {
    return "nimbo.pref." + key;
}

// Said once per refusal, so a user wondering where a setting went finds out
// that the secret store, not the page, turned it down.
void sayWhySecretRefused(const std::string& key, int status) {
    if (status == platform::KeychainStatus::notAvailable) {
        Log::line("nimbo: no secret store answers — \"" + key + "\" not stored");
    } else if (status == platform::KeychainStatus::interactionNotAllowed) {
        Log::line("nimbo: the secret store is locked — \"" + key + "\" not stored");
    }
}

}  // namespace

MaybeJson get(platform::Platform& platform, const std::string& key) {
    if (!keys.contains(key)) return std::nullopt;
    std::optional<std::string> text;
    if (secret.contains(key)) {
        text = Keychain::read(platform, storedUnder(key));
    } else if (auto stored = platform.defaults().get(storedUnder(key)); stored && stored->is_string()) {
        text = stored->get<std::string>();
    }
    if (!text) return std::nullopt;
    auto parsed = Json::parse(*text, nullptr, false);
    if (parsed.is_discarded()) return std::nullopt;
    return parsed;
}

bool set(platform::Platform& platform, const std::string& key, const MaybeJson& value) {
    if (!keys.contains(key)) return false;
    bool isSecret = secret.contains(key);
    if (!value || value->is_null()) {
        if (isSecret) return Keychain::erase(platform, Keychain::query(platform, storedUnder(key)));
        platform.defaults().remove(storedUnder(key));
        return true;
    }
    auto text = Bridge::jsonText(*value);
    if (!text || text->size() > kLimit) return false;
    if (isSecret) {
        int status = Keychain::write(platform, storedUnder(key), *text);
        if (status != platform::KeychainStatus::success) sayWhySecretRefused(key, status);
        return status == platform::KeychainStatus::success;
    }
    platform.defaults().set(storedUnder(key), *text);
    return true;
}

}  // namespace nimbo::Prefs
