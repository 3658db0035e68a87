#include "app/AppDelegate.h"

namespace nimbo {

// Command+Option+Left/Right are taken from other applications only while some
// page steers the teleprompter (a non-empty `steerOwners`). The key tap has no
// switch for that yet, so there is nothing to tell it.
void AppDelegate::updateSteering() {}

}  // namespace nimbo
