#pragma once
// Every log line goes to standard output, which the entry point turns into the log file.
// One entry is one line: control characters are written escaped and long texts are cut,
// so nothing a page or an environment variable says can forge or flood lines.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/Stdio.h"

namespace nimbo::Log {

// Longest text kept of one entry, in bytes before escaping.
constexpr std::size_t kLongestEntry = 4000;

// The output the lines go to; set once the platform exists, cleared when it goes.
void attach(platform::Stdio* output);

// Writes one entry (shell lines carry their own "nimbo: " prefix) as `entry` makes it.
void line(const std::string& text);

// Runs after every line, under the log's lock, so it may reopen the output at a
// line boundary (the log file's rotation). An empty function removes it.
void afterEachLine(std::function<void(platform::Stdio&)> check);

// `text` as one line: backslash, line ends and tab as \\ \n \r \t, other C0
// controls, DEL and bytes that are not UTF-8 as \xNN, C1 controls as \u{NN};
// cut at kLongestEntry bytes on a character boundary with "… [cut N bytes]".
std::string entry(std::string_view text);

}  // namespace nimbo::Log
