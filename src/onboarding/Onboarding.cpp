#include "onboarding/Onboarding.h"

namespace nimbo {

// Nothing is walked through yet, so nothing is ever shown.
bool Onboarding::start(std::optional<Need> /*prefer*/, bool /*again*/) {
    return false;
}

}  // namespace nimbo
