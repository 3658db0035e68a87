// What the backend keeps in files: user defaults, the settings beside the
// binary, and where the log goes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "Desktop.h"
#include "platform/linux/system/BundleFile.h"
#include "platform/linux/system/JsonDefaults.h"
#include "platform/linux/system/ProcessStdio.h"

namespace nimbo::test {
namespace {

TEST(Defaults, ValuesSurviveIntoTheNextInstance) {
    TempDir dir;
    const std::string path = dir.path() + "/nimbo/defaults.json";  // the folder doesn't exist yet
    {
        x11::JsonDefaults first(path);
        EXPECT_FALSE(first.get("nimbo.origin"));
        first.set("nimbo.origin", "http://127.0.0.1:3005");
        first.set("nimbo.onboarded", true);
        first.set("count", 3);
        first.set("nested", Json{{"list", {1, 2}}, {"none", nullptr}});
        first.set("gone", "soon");
        first.remove("gone");
        first.remove("never-there");
        EXPECT_EQ(first.get("count"), Json(3));
    }
    x11::JsonDefaults second(path);
    EXPECT_EQ(second.get("nimbo.origin"), Json("http://127.0.0.1:3005"));
    EXPECT_EQ(second.get("nimbo.onboarded"), Json(true));
    EXPECT_EQ(second.get("count"), Json(3));
    EXPECT_EQ(second.get("nested"), Json({{"list", {1, 2}}, {"none", nullptr}}));
    EXPECT_FALSE(second.get("gone"));
    // A stored null is a value, not an absence.
    second.set("explicit", nullptr);
    EXPECT_EQ(x11::JsonDefaults(path).get("explicit"), Json(nullptr));
    // Only the file itself is left behind: no temporary files.
    using Listing = std::filesystem::directory_iterator;
    EXPECT_EQ(std::distance(Listing(dir.path() + "/nimbo"), Listing()), 1);
    EXPECT_TRUE(Json::parse(readFile(path)).is_object());
}

TEST(Defaults, ACorruptFileIsKeptAsideNotDestroyed) {
    TempDir dir;
    const std::string path = dir.path() + "/defaults.json";
    writeFile(path, "{\"nimbo.origin\": \"http://x\",");  // cut short
    testing::internal::CaptureStderr();
    {
        x11::JsonDefaults defaults(path);
        EXPECT_FALSE(defaults.get("nimbo.origin"));
        defaults.set("fresh", 1);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(readFile(path + ".corrupt"), "{\"nimbo.origin\": \"http://x\",");
    EXPECT_EQ(x11::JsonDefaults(path).get("fresh"), Json(1));

    // A second bad file doesn't overwrite the first one kept; valid JSON that
    // isn't an object counts as bad too.
    writeFile(path, "[1, 2, 3]");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(x11::JsonDefaults(path).get("fresh"));
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(readFile(path + ".corrupt"), "{\"nimbo.origin\": \"http://x\",");
    EXPECT_EQ(readFile(path + ".corrupt.1"), "[1, 2, 3]");
}

TEST(Bundle, KeepsJsonTypesAndAbsence) {
    TempDir dir;
    const std::string path = dir.path() + "/nimbo.bundle.json";
    writeFile(path, R"({"NimboOrigin": "http://127.0.0.1:3005", "Number": 7})");
    x11::BundleFile bundle(path);
    EXPECT_EQ(bundle.info("NimboOrigin"), Json("http://127.0.0.1:3005"));
    EXPECT_EQ(bundle.info("Number"), Json(7));
    EXPECT_FALSE(bundle.info("CFBundleShortVersionString"));

    EXPECT_FALSE(x11::BundleFile(dir.path() + "/missing.json").info("NimboOrigin"));
    writeFile(path, "\"just text\"");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(x11::BundleFile(path).info("NimboOrigin"));
    testing::internal::GetCapturedStderr();
}

// Reopening changes this process's own output, so it runs in a child.
TEST(Stdio, ReopenedOutputIsRecognisedAppendsAndAFailureKeepsTheOldOne) {
    TempDir dir;
    const std::string log = dir.path() + "/nimbo.log";
    const std::string kept = dir.path() + "/kept.txt";
    writeFile(log, "earlier\n");
    fflush(nullptr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        x11::ProcessStdio stdio;
        if (!stdio.reopenOutput("/dev/null")) _exit(9);
        if (stdio.outputIsCharacterDevice() != true || stdio.outputIsTerminal()) _exit(14);
        // Standard output goes to a file first, as when nimbo is started with it redirected.
        if (!stdio.reopenOutput(kept)) _exit(10);
        if (stdio.outputIsTerminal() || stdio.outputIsCharacterDevice() != false) _exit(11);
        // A file that can't be opened leaves the output where it was.
        if (stdio.reopenOutput(dir.path() + "/no/such/folder/x.log")) _exit(12);
        stdio.writeLine("still here");
        if (!stdio.reopenOutput(log) || !stdio.reopenError(log)) _exit(13);
        stdio.setOutputBuffering(platform::Buffering::line);
        stdio.writeLine("one");
        fputs("two\n", stderr);
        stdio.writeLine("three");
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(kept), "still here\n");
    EXPECT_EQ(readFile(log), "earlier\none\ntwo\nthree\n");
}

}  // namespace
}  // namespace nimbo::test
