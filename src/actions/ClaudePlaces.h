#pragma once
// Where the hand-off to the coding agent looks and writes: the user's home and
// temporary folder as the environment names them, file times on the wall clock.
#include <filesystem>
#include <optional>
#include <string>

namespace nimbo::ClaudeCode {

// $HOME without trailing "/"; absent when unset or empty.
std::optional<std::string> home();
// $TMPDIR, else /tmp, made absolute: the script changes directory before it reads.
std::filesystem::path temporaryFolder();
// Seconds since 1970 now, and when a file was last written (absent when unreadable).
double wallNow();
std::optional<double> writtenAt(const std::filesystem::path& file);
// At most the first `limit` bytes of a file; empty when unreadable.
std::string head(const std::filesystem::path& file, std::size_t limit);

}  // namespace nimbo::ClaudeCode
