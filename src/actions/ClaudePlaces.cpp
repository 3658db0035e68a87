#include "actions/ClaudePlaces.h"

#include <chrono>
#include <fstream>
#include <system_error>

#include "actions/Desktop.h"

namespace nimbo::ClaudeCode {

namespace fs = std::filesystem;

std::optional<std::string> home() {
    auto value = Actions::desktop().environment().variable("HOME");
    if (!value) return std::nullopt;
    while (value->size() > 1 && value->back() == '/') value->pop_back();
    if (value->empty()) return std::nullopt;
    return value;
}

fs::path temporaryFolder() {
    auto value = Actions::desktop().environment().variable("TMPDIR").value_or("");
    fs::path folder = value.empty() ? fs::path("/tmp") : fs::path(value);
    std::error_code error;
    auto absolute = fs::absolute(folder, error);
    return error ? folder : absolute;
}

double wallNow() {
    return Actions::desktop().clock().wallNow();
}

std::optional<double> writtenAt(const fs::path& file) {
    std::error_code error;
    auto time = fs::last_write_time(file, error);
    if (error) return std::nullopt;
    const auto since1970 = std::chrono::file_clock::to_sys(time).time_since_epoch();
    return std::chrono::duration<double>(since1970).count();
}

std::string head(const fs::path& file, std::size_t limit) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

}  // namespace nimbo::ClaudeCode
