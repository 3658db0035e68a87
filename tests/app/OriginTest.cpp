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
    for (const auto& [given, cleaned] :
         {std::pair<std::string, std::string>{"https://nimbo.example:8443///  ", "https://nimbo.example:8443"},
          {"\u00a0\thttp://127.0.0.1:4000/\r\n\u2003", "http://127.0.0.1:4000"},
          {"http://[::1]:3005", "http://[::1]:3005"},
          {"https://user@host.example", "https://user@host.example"},
          {"http://h", "http://h"}}) {
        sim.env.variables["NIMBO_URL"] = given;
        EXPECT_EQ(resolve(), cleaned);
        EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), cleaned);
    }
    sim.env.variables.clear();
    sim.output.lines.clear();
    EXPECT_EQ(resolve(), "http://h");
    EXPECT_TRUE(sim.output.lines.empty());
}

TEST_F(OriginTest, RejectionQuotesTheValueAsGivenOnOneLineAndFallsThrough) {
    sim.defaultsStore.values["nimbo.origin"] = "http://stored.example";
    // The last ones: the URL parser finds "host" in each, but none says "//host".
    for (const std::string bad : {"ftp://files.example/ ", "localhost:3005", "", "   ", "http://", "///",
                                  "x\n--- nimbo started 2026-12-05T08:34:56Z ---", "http:/host", "http:///host",
                                  "https:host:3005", "http://:3005", "http://user@", "http://@:80/"}) {
        sim.output.lines.clear();
        sim.env.variables["NIMBO_URL"] = bad;
        EXPECT_EQ(resolve(), "http://stored.example") << bad;
        std::string shown = bad;
        if (auto end = shown.find('\n'); end != std::string::npos) shown.replace(end, 1, "\\n");
        EXPECT_EQ(sim.output.lines, std::vector<std::string>{"nimbo: ignoring the server address from NIMBO_URL — \"" +
                                                             shown + "\" is not an http(s) address"});
    }
    // A rejected value is never stored over the good one.
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.origin"), "http://stored.example");
}

TEST_F(OriginTest, EachSourceIsNamedInTurnAndTheBuiltInIsTheLastResort) {
    sim.env.variables["NIMBO_URL"] = "x";
    sim.defaultsStore.values["nimbo.origin"] = "mailto:someone";
    sim.bundleInfo.values["NimboOrigin"] = "nope";
    EXPECT_EQ(resolve(), Origin::kBuiltIn);
    ASSERT_EQ(sim.output.lines.size(), 3u);
    EXPECT_NE(sim.output.lines[0].find("from NIMBO_URL — \"x\""), std::string::npos);
    EXPECT_NE(sim.output.lines[1].find("from the last launch — \"mailto:someone\""), std::string::npos);
    EXPECT_NE(sim.output.lines[2].find("from the app bundle — \"nope\""), std::string::npos);
}

TEST_F(OriginTest, TheFirstUsableSourceWinsAndThoseAfterItAreNotRead) {
    struct Case {
        std::optional<std::string> env;
        std::string last, bundle, origin;
    };
    const std::string a = "http://a.example", b = "https://b.example", c = "http://c.example:1";
    for (const auto& [env, last, bundle, origin] :
         {Case{a, b, c, a}, Case{a, "bad", "bad", a}, Case{{}, b, c, b}, Case{{}, b, "bad", b}}) {
        sim.env.variables.clear();
        sim.defaultsStore.values.clear();
        sim.output.lines.clear();
        if (env) sim.env.variables["NIMBO_URL"] = *env;
        sim.defaultsStore.values["nimbo.origin"] = last;
        sim.bundleInfo.values["NimboOrigin"] = bundle;
        EXPECT_EQ(resolve(), origin) << env.value_or("") << " " << last;
        EXPECT_TRUE(sim.output.lines.empty()) << origin;
    }
}

TEST_F(OriginTest, NonTextValuesCountAsAbsentWithoutAMessage) {
    sim.defaultsStore.values["nimbo.origin"] = 3005;
    sim.bundleInfo.values["NimboOrigin"] = 3005;
    EXPECT_EQ(resolve(), Origin::kBuiltIn);
    EXPECT_TRUE(sim.output.lines.empty());

    sim.bundleInfo.values["NimboOrigin"] = "HTTP://Bundle.Example/";
    EXPECT_EQ(resolve(), "HTTP://Bundle.Example");
}

}  // namespace
}  // namespace nimbo
