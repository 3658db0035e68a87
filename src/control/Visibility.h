#pragma once
// Whether the shell's windows may be seen by screenshots, recordings and sharing.
#include "platform/Platform.h"

namespace nimbo::Visibility {

// Set for demonstrations: "NIMBO_SHOWCASE" or else "NIMBO_NO_PROTECT" is "1".
// Read from the environment each time.
bool showcaseEnv(const platform::Environment& environment);

// The demonstration switch, or the user's "nimbo.visible".
bool allowed(platform::Platform& platform);
// What every window of the shell is given: read-only when allowed, else kept out.
platform::SharingType sharingType(platform::Platform& platform);

}  // namespace nimbo::Visibility
