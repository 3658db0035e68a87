#pragma once
// Persistent user defaults: string keys to JSON values.
#include <string>

#include "platform/Json.h"

namespace nimbo::platform {

class Defaults {
public:
    virtual ~Defaults() = default;
    virtual MaybeJson get(const std::string& key) const = 0;
    virtual void set(const std::string& key, const Json& value) = 0;
    virtual void remove(const std::string& key) = 0;
};

}  // namespace nimbo::platform
