#pragma once
#include "platform/Platform.h"

namespace nimbo {

// Redirects the log, creates the application delegate and runs the main loop.
// Returns the process's exit code.
int runShell(platform::Platform& platform);

}  // namespace nimbo
