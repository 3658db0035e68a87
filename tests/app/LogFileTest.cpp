#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/LogFile.h"
#include "base/Log.h"
#include "platform/sim/SimPlatform.h"
#include "support/TempFolder.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeBytes(const fs::path& path, std::uintmax_t count) {
    std::ofstream(path, std::ios::binary).close();
    fs::resize_file(path, count);
}

class LogFileTest : public ::testing::Test {
protected:
    LogFileTest() { sim.output.folder = (temp.path() / "logs").string(); }
    ~LogFileTest() override { LogFile::stopKeeping(); }
    fs::path log() const { return temp.path() / "logs" / "nimbo.log"; }
    fs::path previous() const { return temp.path() / "logs" / "nimbo.previous.log"; }

    testing::TempFolder temp;
    sim::SimPlatform sim;
};

TEST_F(LogFileTest, AppendsBannerToTheLogAndRedirectsBothStreams) {
    fs::create_directories(log().parent_path());
    std::ofstream(log()) << "earlier run\n";
    LogFile::keepLog(sim.output, sim.clockImpl);

    EXPECT_EQ(contents(log()), "earlier run\n\n--- nimbo started 2026-12-05T08:34:56Z ---\n");
    EXPECT_EQ(sim.output.outputPath, log().string());
    EXPECT_EQ(sim.output.errorPath, log().string());
    EXPECT_EQ(sim.output.buffering.back(), platform::Buffering::line);
}

TEST_F(LogFileTest, RotatesOnlyStrictlyAboveTheLimit) {
    fs::create_directories(log().parent_path());
    writeBytes(log(), LogFile::kRotateAbove);
    LogFile::keepLog(sim.output, sim.clockImpl);
    EXPECT_FALSE(fs::exists(previous()));

    writeBytes(log(), LogFile::kRotateAbove + 1);
    std::ofstream(previous()) << "old previous";
    LogFile::keepLog(sim.output, sim.clockImpl);
    ASSERT_TRUE(fs::exists(previous()));
    EXPECT_EQ(fs::file_size(previous()), LogFile::kRotateAbove + 1);
    EXPECT_EQ(contents(log()), "\n--- nimbo started 2026-12-05T08:34:56Z ---\n");
}

TEST_F(LogFileTest, ARunningShellRotatesOnceALineTakesTheLogPastTheLimit) {
    LogFile::keepLog(sim.output, sim.clockImpl);
    // Up to the limit exactly: nothing moves.
    fs::resize_file(log(), LogFile::kRotateAbove - 4);
    Log::line("abc");
    EXPECT_EQ(fs::file_size(log()), LogFile::kRotateAbove);
    EXPECT_FALSE(fs::exists(previous()));

    // The line that crosses it ends the old log; the next one starts a fresh log after a banner.
    sim.clockImpl.setNow(sim.clockImpl.now() + 60);
    Log::line("nimbo: over the limit");
    ASSERT_TRUE(fs::exists(previous()));
    EXPECT_EQ(fs::file_size(previous()), LogFile::kRotateAbove + 22);
    EXPECT_EQ(contents(log()), "\n--- nimbo started 2026-12-05T08:35:56Z ---\n");
    EXPECT_EQ(sim.output.errorPath, log().string());
    Log::line("nimbo: next");
    EXPECT_EQ(contents(log()), "\n--- nimbo started 2026-12-05T08:35:56Z ---\nnimbo: next\n");

    // Once the shell stops keeping its log, lines no longer move it.
    LogFile::stopKeeping();
    writeBytes(log(), LogFile::kRotateAbove + 1);
    Log::line("nimbo: after");
    EXPECT_EQ(fs::file_size(previous()), LogFile::kRotateAbove + 22);
}

TEST_F(LogFileTest, TerminalOutputOrAnUnopenableLogKeepsTheGivenOutputAndWritesNoBanner) {
    sim.output.terminal = true;
    LogFile::keepLog(sim.output, sim.clockImpl);
    sim.output.terminal = false;
    std::ofstream(temp.path() / "logs") << "a file where the folder should be";
    LogFile::keepLog(sim.output, sim.clockImpl);
    EXPECT_FALSE(sim.output.outputPath);
    EXPECT_FALSE(sim.output.errorPath);
    EXPECT_TRUE(sim.output.lines.empty());
    EXPECT_FALSE(fs::is_directory(temp.path() / "logs"));
}

TEST_F(LogFileTest, LaunchedWithOutputOnACharacterDeviceLogsToTheTemporaryFolder) {
    sim.output.characterDevice = true;
    sim.env.variables["TMPDIR"] = temp.path().string() + "/";
    LogFile::redirectIfLaunchedByDesktop(sim.output, sim.env);
    const std::string path = temp.path().string() + "/nimbo-shell.log";
    EXPECT_EQ(sim.output.outputPath, path);
    EXPECT_EQ(sim.output.errorPath, path);
    EXPECT_EQ(contents(path), "nimbo: launched by macOS — logging to " + path + "\n");

    // A TMPDIR without its "/" (as Linux sets it) names the same folder; an empty one none.
    for (const auto& [tmpdir, expected] :
         {std::pair{temp.path().string(), path}, std::pair{std::string(), std::string("/tmp/nimbo-shell.log")}}) {
        sim.env.variables["TMPDIR"] = tmpdir;
        EXPECT_EQ(LogFile::temporaryLogPath(sim.env), expected) << tmpdir;
    }
}

TEST_F(LogFileTest, OnlyACharacterDeviceThatCanBeReadCounts) {
    for (std::optional<bool> device : {std::optional<bool>(false), std::optional<bool>()}) {
        sim::SimStdio stdio;
        stdio.characterDevice = device;
        LogFile::redirectIfLaunchedByDesktop(stdio, sim.env);
        EXPECT_FALSE(stdio.outputPath);
        EXPECT_EQ(stdio.buffering.front(), platform::Buffering::none);
    }
}

}  // namespace
}  // namespace nimbo
