#pragma once
// Whether the shell's windows may be seen by screenshots, recordings and sharing.
#include "platform/Environment.h"

namespace nimbo::Visibility {

// Set for demonstrations: "NIMBO_SHOWCASE" or else "NIMBO_NO_PROTECT" is "1".
// Read from the environment each time.
bool showcaseEnv(const platform::Environment& environment);

}  // namespace nimbo::Visibility
