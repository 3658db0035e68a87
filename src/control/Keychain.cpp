#include "control/Keychain.h"

#include "base/Log.h"

namespace nimbo::Keychain {

namespace Status = platform::KeychainStatus;

std::string service(platform::Platform& platform) {
    auto identifier = platform.bundle().info("CFBundleIdentifier");
    if (identifier && identifier->is_string() && !identifier->get<std::string>().empty()) {
        return identifier->get<std::string>();
    }
    return "dev.nimbo.Shell";
}

platform::KeychainItem query(platform::Platform& platform, const std::string& account) {
    return {service(platform), account};
}

std::optional<std::string> read(platform::Platform& platform, const std::string& account) {
    auto got = platform.keychain().copy(query(platform, account));
    // An emptied item is how a removal that could only overwrite looks.
    if (got.status != Status::success || got.data.empty()) return std::nullopt;
    return got.data;
}

int write(platform::Platform& platform, const std::string& account, const std::string& data) {
    auto& store = platform.keychain();
    auto item = query(platform, account);
    int updated = store.update(item, data);
    if (updated == Status::success) return updated;
    return store.add(item, data);
}

bool erase(platform::Platform& platform, const platform::KeychainItem& item) {
    auto& store = platform.keychain();
    int removed = store.remove(item);
    if (removed == Status::success || removed == Status::itemNotFound) return true;
    int emptied = store.update(item, "");
    if (emptied == Status::success) return true;
    Log::line("nimbo: couldn't remove a Keychain item (" + std::to_string(removed) + ", then " +
              std::to_string(emptied) + ")");
    return false;
}

}  // namespace nimbo::Keychain
