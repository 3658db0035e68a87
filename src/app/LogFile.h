#pragma once
// Where the log goes when nobody is watching standard output.
#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/Stdio.h"

namespace nimbo::LogFile {

// The log is moved aside once it grows strictly past this many bytes.
constexpr std::uintmax_t kRotateAbove = 10'000'000;

// Launched by the desktop with standard output on a character device (the null
// device): send output to "nimbo-shell.log" in the temporary folder and say so there.
void redirectIfLaunchedByDesktop(platform::Stdio& stdio, const platform::Environment& env);

// "nimbo-shell.log" in $TMPDIR (with or without its trailing "/"), else in /tmp.
std::string temporaryLogPath(const platform::Environment& env);

// Sends standard output and error to "nimbo.log" in the log folder, rotating a
// log that has grown too large, and writes the start banner. From then on the
// log is rotated again whenever a line takes it past the limit; `clock` must
// outlive that (stopKeeping ends it).
void keepLog(platform::Stdio& stdio, const platform::Clock& clock);
void stopKeeping();

// "2026-12-05T08:34:56Z" for seconds since 1970.
std::string isoTimestamp(double secondsSince1970);

}  // namespace nimbo::LogFile
