#pragma once
// The pages' preferences: a closed set of keys, each value any JSON value,
// kept as JSON text in the user defaults, or in the secret store for secrets.
#include <set>
#include <string>

#include "platform/Json.h"
#include "platform/Platform.h"

namespace nimbo::Prefs {

extern const std::set<std::string> keys;
// The keys that overlay pages read too; a change is pushed to them.
extern const std::set<std::string> overlay;
// The keys kept in the secret store, never in the defaults.
extern const std::set<std::string> secret;

// The longest JSON text a value may have, in bytes.
inline constexpr std::size_t kLimit = 524288;

// The stored value; absent when there is none, it can't be read or parsed,
// or the key is not one of `keys`.
MaybeJson get(platform::Platform& platform, const std::string& key);
// Stores, replaces or (absent or null) removes a value. False, with whatever
// was stored left as it was, for an unknown key, a value with no JSON form or
// longer than `kLimit`, and a secret the secret store would not take.
bool set(platform::Platform& platform, const std::string& key, const MaybeJson& value);

}  // namespace nimbo::Prefs
