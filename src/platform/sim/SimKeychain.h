#pragma once
// An in-memory secret store that can be locked, taken away, or made to refuse
// one kind of request.
#include <map>
#include <string>
#include <utility>

#include "platform/Keychain.h"

namespace nimbo::sim {

class SimKeychain : public platform::Keychain {
public:
    platform::KeychainRead copy(const platform::KeychainItem& item) override;
    int add(const platform::KeychainItem& item, const std::string& data) override;
    int update(const platform::KeychainItem& item, const std::string& data) override;
    int remove(const platform::KeychainItem& item) override;

    std::map<std::pair<std::string, std::string>, std::string> items;  // (service, account) -> data
    // Set to a failure status to have every request answer it (a locked or missing store)...
    int status = platform::KeychainStatus::success;
    // ...or only the removals or the updates.
    int removing = platform::KeychainStatus::success;
    int updating = platform::KeychainStatus::success;
};

}  // namespace nimbo::sim
