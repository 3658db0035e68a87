#pragma once
// Every log line goes to standard output, which the entry point turns into the log file.
#include <string>

#include "platform/Stdio.h"

namespace nimbo::Log {

// The output the lines go to; set once the platform exists, cleared when it goes.
void attach(platform::Stdio* output);

// Writes one line as it stands (shell lines carry their own "nimbo: " prefix).
void line(const std::string& text);

}  // namespace nimbo::Log
