#pragma once
// The process environment and the settings installed with the program.
#include <optional>
#include <string>

#include "platform/Json.h"

namespace nimbo::platform {

class Environment {
public:
    virtual ~Environment() = default;
    virtual std::optional<std::string> variable(const std::string& name) const = 0;
};

// Settings shipped beside the binary ("NimboOrigin", "CFBundleShortVersionString", ...).
// Values keep their JSON type so callers can tell a string from anything else.
class Bundle {
public:
    virtual ~Bundle() = default;
    virtual MaybeJson info(const std::string& key) const = 0;
};

}  // namespace nimbo::platform
