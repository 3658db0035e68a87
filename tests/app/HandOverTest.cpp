#include <gtest/gtest.h>

#include <filesystem>

#include "app/EntryPoint.h"
#include "app/LogFile.h"
#include "platform/sim/SimPlatform.h"
#include "support/TempFolder.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

// A second launch in a session where the shell already runs: the running one
// keeps its log and the origin it was started with.
class HandOverTest : public ::testing::Test {
protected:
    HandOverTest() {
        sim.output.folder = (temp.path() / "logs").string();
        sim.env.variables["NIMBO_URL"] = "http://second.example";
        sim.defaultsStore.values["nimbo.origin"] = "http://running.example";
    }
    ~HandOverTest() override { LogFile::stopKeeping(); }

    testing::TempFolder temp;
    sim::SimPlatform sim;
};

TEST_F(HandOverTest, ALaunchThatHandsOverLeavesLogAndOriginAlone) {
    sim.app.anotherInstance = true;
    EXPECT_EQ(runShell(sim), 0);
    EXPECT_EQ(sim.app.handedOver, 1);
    EXPECT_FALSE(fs::exists(temp.path() / "logs")) << "no log opened, none rotated";
    EXPECT_TRUE(sim.output.lines.empty());
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), "http://running.example");
}

TEST_F(HandOverTest, ALaunchThatRunsKeepsItsLogAndOrigin) {
    EXPECT_EQ(runShell(sim), 0);
    EXPECT_TRUE(fs::exists(temp.path() / "logs" / "nimbo.log"));
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), "http://second.example");
}

}  // namespace
}  // namespace nimbo
