#pragma once
// The shell's generic-password items in the desktop's secret store.
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace nimbo::Keychain {

// The service every item of the shell is filed under: the bundle identifier.
std::string service(platform::Platform& platform);
platform::KeychainItem query(platform::Platform& platform, const std::string& account);

// The item's bytes; absent when there is none, it is empty, or the store
// can't be read.
std::optional<std::string> read(platform::Platform& platform, const std::string& account);
// Replaces the item's bytes, or adds the item; the store's final status.
int write(platform::Platform& platform, const std::string& account, const std::string& data);
// Deletes the item, or empties it when it can't be deleted; false when
// neither worked.
bool erase(platform::Platform& platform, const platform::KeychainItem& item);

}  // namespace nimbo::Keychain
