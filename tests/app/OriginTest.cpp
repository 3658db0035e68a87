#include <gtest/gtest.h>

#include "app/Origin.h"
#include "platform/sim/SimPlatform.h"

namespace nimbo {
namespace {

class OriginTest : public ::testing::Test {
protected:
    std::string resolve() { return Origin::resolve(sim.env, sim.defaultsStore, sim.bundleInfo); }
    sim::SimPlatform sim;
};

TEST_F(OriginTest, EnvironmentValueIsCleanedStoredAndKeptForTheNextLaunch) {
    sim.env.variables["NIMBO_URL"] = "https://nimbo.example:8443///  ";
    EXPECT_EQ(resolve(), "https://nimbo.example:8443");
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), "https://nimbo.example:8443");

    sim.env.variables.clear();
    sim.output.lines.clear();
    EXPECT_EQ(resolve(), "https://nimbo.example:8443");
    EXPECT_TRUE(sim.output.lines.empty());
}

TEST_F(OriginTest, RejectionQuotesTheValueAsGivenAndFallsThrough) {
    sim.defaultsStore.values["nimbo.origin"] = "http://stored.example";
    for (const std::string bad : {"ftp://files.example/ ", "localhost:3005", "", "   ", "http://", "///"}) {
        sim.output.lines.clear();
        sim.env.variables["NIMBO_URL"] = bad;
        EXPECT_EQ(resolve(), "http://stored.example") << bad;
        ASSERT_EQ(sim.output.lines.size(), 1u) << bad;
        EXPECT_EQ(sim.output.lines[0],
                  "nimbo: ignoring the server address from NIMBO_URL — \"" + bad + "\" is not an http(s) address");
    }
    // A rejected value is never stored over the good one.
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), "http://stored.example");
}

TEST_F(OriginTest, EachSourceIsNamedAndTheBuiltInIsTheLastResort) {
    sim.defaultsStore.values["nimbo.origin"] = "mailto:someone";
    sim.bundleInfo.values["NimboOrigin"] = "nope";
    EXPECT_EQ(resolve(), Origin::kBuiltIn);
    ASSERT_EQ(sim.output.lines.size(), 2u);
    EXPECT_NE(sim.output.lines[0].find("from the last launch — \"mailto:someone\""), std::string::npos);
    EXPECT_NE(sim.output.lines[1].find("from the app bundle — \"nope\""), std::string::npos);
}

TEST_F(OriginTest, NonTextValuesCountAsAbsentWithoutAMessage) {
    sim.defaultsStore.values["nimbo.origin"] = 3005;
    sim.bundleInfo.values["NimboOrigin"] = 3005;
    EXPECT_EQ(resolve(), Origin::kBuiltIn);
    EXPECT_TRUE(sim.output.lines.empty());

    sim.bundleInfo.values["NimboOrigin"] = "HTTP://Bundle.Example/";
    EXPECT_EQ(resolve(), "HTTP://Bundle.Example");
}

TEST_F(OriginTest, TrimsUnicodeBlanksAndLineEnds) {
    sim.env.variables["NIMBO_URL"] = "\u00a0\thttp://127.0.0.1:4000/\r\n\u2003";
    EXPECT_EQ(resolve(), "http://127.0.0.1:4000");
}

}  // namespace
}  // namespace nimbo
