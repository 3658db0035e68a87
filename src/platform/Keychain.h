#pragma once
// The desktop's secret store: generic-password items named by service and
// account, answered with the Keychain's status codes so the core reads the
// same on every backend.
#include <string>

namespace nimbo::platform {

namespace KeychainStatus {
inline constexpr int success = 0;
inline constexpr int itemNotFound = -25300;
inline constexpr int duplicateItem = -25299;
// No secret store answers on this desktop.
inline constexpr int notAvailable = -25291;
// The store is locked and the user can't be asked to unlock it now.
inline constexpr int interactionNotAllowed = -25308;
}  // namespace KeychainStatus

struct KeychainItem {
    std::string service;
    std::string account;
};

struct KeychainRead {
    int status = KeychainStatus::success;
    std::string data{};  // the item's bytes when status is success
};

class Keychain {
public:
    virtual ~Keychain() = default;
    virtual KeychainRead copy(const KeychainItem& item) = 0;
    // A new item, readable only while the store is unlocked; duplicateItem when it exists.
    virtual int add(const KeychainItem& item, const std::string& data) = 0;
    // Replaces an existing item's data; itemNotFound when there is none.
    virtual int update(const KeychainItem& item, const std::string& data) = 0;
    virtual int remove(const KeychainItem& item) = 0;
};

}  // namespace nimbo::platform
