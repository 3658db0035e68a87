#include "platform/linux/system/ProcessEnvironment.h"

#include <cstdlib>

namespace nimbo::x11 {

std::optional<std::string> ProcessEnvironment::variable(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

}  // namespace nimbo::x11
