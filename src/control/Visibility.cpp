#include "control/Visibility.h"

namespace nimbo::Visibility {

bool showcaseEnv(const platform::Environment& environment) {
    return environment.variable("NIMBO_SHOWCASE") == "1" || environment.variable("NIMBO_NO_PROTECT") == "1";
}

}  // namespace nimbo::Visibility
