#include "app/LogFile.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace nimbo::LogFile {

namespace fs = std::filesystem;

void redirectIfLaunchedByDesktop(platform::Stdio& stdio, const platform::Environment& env) {
    stdio.setOutputBuffering(platform::Buffering::none);
    if (stdio.outputIsTerminal()) return;
    auto isCharacterDevice = stdio.outputIsCharacterDevice();
    if (!isCharacterDevice || !*isCharacterDevice) return;

    // TMPDIR normally ends in "/", so the name is appended as it is.
    std::string path = env.variable("TMPDIR").value_or("/tmp/") + "nimbo-shell.log";
    stdio.reopenOutput(path);
    stdio.reopenError(path);
    stdio.setOutputBuffering(platform::Buffering::none);
    stdio.writeLine("nimbo: launched by macOS — logging to " + path);
}

void keepLog(platform::Stdio& stdio, const platform::Clock& clock) {
    if (stdio.outputIsTerminal()) return;

    // 1. The folder; a failure shows up as a failed reopen below.
    fs::path folder = stdio.logFolder();
    std::error_code ignored;
    fs::create_directories(folder, ignored);

    // 2. Rotation: strictly above the limit, keeping one previous log.
    fs::path log = folder / "nimbo.log";
    fs::path previous = folder / "nimbo.previous.log";
    std::error_code sizeError;
    auto size = fs::file_size(log, sizeError);
    if (!sizeError && size > kRotateAbove) {
        fs::remove(previous, ignored);
        fs::rename(log, previous, ignored);
    }

    // 3. Without the log file the program keeps the output it was given, bannerless.
    if (!stdio.reopenOutput(log.string())) return;
    stdio.reopenError(log.string());
    stdio.setOutputBuffering(platform::Buffering::line);
    stdio.writeLine("");
    stdio.writeLine("--- nimbo started " + isoTimestamp(clock.wallNow()) + " ---");
}

std::string isoTimestamp(double secondsSince1970) {
    std::time_t seconds = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace nimbo::LogFile
