#pragma once
#include "platform/Environment.h"

namespace nimbo::x11 {

class ProcessEnvironment final : public platform::Environment {
public:
    std::optional<std::string> variable(const std::string& name) const override;
};

}  // namespace nimbo::x11
