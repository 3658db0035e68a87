#include "platform/sim/SimKeychain.h"

namespace nimbo::sim {

using platform::KeychainStatus::itemNotFound;
using platform::KeychainStatus::success;

platform::KeychainRead SimKeychain::copy(const platform::KeychainItem& item) {
    if (status != success) return {status};
    auto found = items.find({item.service, item.account});
    if (found == items.end()) return {itemNotFound};
    return {success, found->second};
}

int SimKeychain::add(const platform::KeychainItem& item, const std::string& data) {
    if (status != success) return status;
    auto [at, added] = items.try_emplace({item.service, item.account}, data);
    return added ? success : platform::KeychainStatus::duplicateItem;
}

int SimKeychain::update(const platform::KeychainItem& item, const std::string& data) {
    if (status != success) return status;
    if (updating != success) return updating;
    auto found = items.find({item.service, item.account});
    if (found == items.end()) return itemNotFound;
    found->second = data;
    return success;
}

int SimKeychain::remove(const platform::KeychainItem& item) {
    if (status != success) return status;
    if (removing != success) return removing;
    return items.erase({item.service, item.account}) ? success : itemNotFound;
}

}  // namespace nimbo::sim
