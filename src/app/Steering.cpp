#include "app/AppDelegate.h"

namespace nimbo {

// Command+Option+Left/Right are taken from other applications only while some
// page still steers the teleprompter; a page that went away stops counting.
void AppDelegate::updateSteering() {
    bool anyOwner = false;
    for (const auto& owner : steerOwners) anyOwner = anyOwner || !owner.expired();
    hotkey.setSteering(anyOwner);
}

}  // namespace nimbo
