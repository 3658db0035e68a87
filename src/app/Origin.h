#pragma once
// The one server origin every page and request is formed from, decided at launch.
#include <optional>
#include <string>

#include "platform/Defaults.h"
#include "platform/Environment.h"

namespace nimbo::Origin {

// The last resort, on this machine.
inline constexpr const char* kBuiltIn = "http://127.0.0.1:3005";
inline constexpr const char* kDefaultsKey = "nimbo.origin";

// One candidate, trimmed of blanks and trailing "/", when it is an http(s)
// address with a host; otherwise absent, with a log line naming `source`
// (an absent value is not usable and says nothing).
std::optional<std::string> usable(const std::optional<std::string>& value, const std::string& source);

// NIMBO_URL (kept for later launches), then the last launch's, then the
// bundle's, then the built-in address.
std::string resolve(const platform::Environment& env, platform::Defaults& defaults, const platform::Bundle& bundle);

}  // namespace nimbo::Origin
