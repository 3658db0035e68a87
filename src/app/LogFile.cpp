#include "app/LogFile.h"

#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "base/Log.h"

namespace nimbo::LogFile {
namespace {

namespace fs = std::filesystem;

bool grownPastLimit(const fs::path& log) {
    std::error_code sizeError;
    auto size = fs::file_size(log, sizeError);
    return !sizeError && size > kRotateAbove;
}

// Keeps one previous log; answers whether the log was moved.
bool moveAside(const fs::path& log) {
    fs::path previous = log.parent_path() / "nimbo.previous.log";
    std::error_code error;
    fs::remove(previous, error);
    fs::rename(log, previous, error);
    return !error;
}

void writeBanner(platform::Stdio& stdio, const platform::Clock& clock) {
    stdio.writeLine("");
    stdio.writeLine("--- nimbo started " + isoTimestamp(clock.wallNow()) + " ---");
}

}  // namespace

std::string temporaryLogPath(const platform::Environment& env) {
    // An empty TMPDIR is no folder at all; one without its trailing "/" is still a folder.
    std::string folder = env.variable("TMPDIR").value_or("");
    if (folder.empty()) folder = "/tmp/";
    return (fs::path(folder) / "nimbo-shell.log").string();
}

void redirectIfLaunchedByDesktop(platform::Stdio& stdio, const platform::Environment& env) {
    stdio.setOutputBuffering(platform::Buffering::none);
    if (stdio.outputIsTerminal()) return;
    auto isCharacterDevice = stdio.outputIsCharacterDevice();
    if (!isCharacterDevice || !*isCharacterDevice) return;

    const std::string path = temporaryLogPath(env);
    stdio.reopenOutput(path);
    stdio.reopenError(path);
    stdio.setOutputBuffering(platform::Buffering::none);
    stdio.writeLine(Log::entry("nimbo: launched by macOS — logging to " + path));
}

void keepLog(platform::Stdio& stdio, const platform::Clock& clock) {
    if (stdio.outputIsTerminal()) return;

    // 1. The folder; a failure shows up as a failed reopen below.
    const fs::path folder = stdio.logFolder();
    std::error_code ignored;
    fs::create_directories(folder, ignored);

    // 2. Rotation: strictly above the limit, keeping one previous log.
    const fs::path log = folder / "nimbo.log";
    if (grownPastLimit(log)) moveAside(log);

    // 3. Without the log file the program keeps the output it was given, bannerless.
    if (!stdio.reopenOutput(log.string())) return;
    stdio.reopenError(log.string());
    stdio.setOutputBuffering(platform::Buffering::line);
    writeBanner(stdio, clock);

    // A shell runs for weeks: the limit holds while it runs too. The check runs
    // between two lines, so the old log ends and the fresh one starts on a whole line.
    Log::afterEachLine([log, &clock](platform::Stdio& output) {
        // A log that can't be moved is kept on, rather than reopened with a banner per line.
        if (!grownPastLimit(log) || !moveAside(log)) return;
        if (!output.reopenOutput(log.string())) return;
        output.reopenError(log.string());
        writeBanner(output, clock);
    });
}

void stopKeeping() {
    Log::afterEachLine({});
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
