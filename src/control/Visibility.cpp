#include "control/Visibility.h"

namespace nimbo::Visibility {

bool showcaseEnv(const platform::Environment& environment) {
    return environment.variable("NIMBO_SHOWCASE") == "1" || environment.variable("NIMBO_NO_PROTECT") == "1";
}

bool allowed(platform::Platform& platform) {
    auto chosen = platform.defaults().get("nimbo.visible");
    return showcaseEnv(platform.environment()) || (chosen && chosen->is_boolean() && chosen->get<bool>());
}

platform::SharingType sharingType(platform::Platform& platform) {
    return allowed(platform) ? platform::SharingType::readOnly : platform::SharingType::none;
}

}  // namespace nimbo::Visibility
