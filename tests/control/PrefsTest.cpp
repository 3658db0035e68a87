#include <gtest/gtest.h>

#include <cmath>

#include "control/Prefs.h"
#include "platform/sim/SimPlatform.h"

namespace nimbo {
namespace {

namespace Status = platform::KeychainStatus;

class PrefsTest : public ::testing::Test {
protected:
    std::string secretItem() const {
        auto found = sim.secrets.items.find({"dev.nimbo.Shell", "nimbo.pref.apps"});
        return found == sim.secrets.items.end() ? "none" : found->second;
    }
    sim::SimPlatform sim;
};

TEST_F(PrefsTest, SecretsGoToTheSecretStoreAndNeverToTheDefaults) {
    Json apps{{"token", "s3cret"}};
    ASSERT_TRUE(Prefs::set(sim, "apps", apps));
    EXPECT_TRUE(sim.defaultsStore.values.empty());
    EXPECT_EQ(secretItem(), R"({"token":"s3cret"})");
    EXPECT_EQ(Prefs::get(sim, "apps"), apps);

    ASSERT_TRUE(Prefs::set(sim, "profile", "x"));
    EXPECT_EQ(sim.defaultsStore.values.at("nimbo.pref.profile"), "\"x\"") << "a bare string keeps its quotes";
    EXPECT_EQ(Prefs::get(sim, "profile"), Json("x"));

    sim.bundleInfo.values["CFBundleIdentifier"] = "org.example.nimbo";
    EXPECT_EQ(Prefs::get(sim, "apps"), std::nullopt) << "the service is the bundle identifier";
}

TEST_F(PrefsTest, RefusalsLeaveWhatWasStored) {
    ASSERT_TRUE(Prefs::set(sim, "scripts", "old"));
    const std::string atLimit = "\"" + std::string(Prefs::kLimit - 2, 'a') + "\"";
    ASSERT_EQ(atLimit.size(), 524288u);

    EXPECT_FALSE(Prefs::set(sim, "scripts", Json(std::string(Prefs::kLimit - 1, 'a')))) << "one byte over";
    EXPECT_FALSE(Prefs::set(sim, "scripts", Json(std::nan(""))));
    EXPECT_FALSE(Prefs::set(sim, "scripts", Json::array({1, INFINITY})));
    EXPECT_FALSE(Prefs::set(sim, "scripts", Json(std::string("\xff\xfe"))));
    EXPECT_FALSE(Prefs::set(sim, "Scripts", "new"));
    EXPECT_FALSE(Prefs::set(sim, "nimbo.visible", true));
    EXPECT_EQ(Prefs::get(sim, "scripts"), Json("old"));
    EXPECT_EQ(sim.defaultsStore.values.size(), 1u);

    EXPECT_TRUE(Prefs::set(sim, "scripts", Json::parse(atLimit)));
    EXPECT_EQ(Prefs::get(sim, "scripts")->get<std::string>().size(), Prefs::kLimit - 2);
    EXPECT_EQ(Prefs::get(sim, "nimbo.visible"), std::nullopt);
}

TEST_F(PrefsTest, NullRemovesAndUnreadableTextReadsAsAbsent) {
    ASSERT_TRUE(Prefs::set(sim, "cursor", Json{{"size", 2}}));
    EXPECT_TRUE(Prefs::set(sim, "cursor", Json(nullptr)));
    EXPECT_FALSE(sim.defaultsStore.values.contains("nimbo.pref.cursor"));
    EXPECT_TRUE(Prefs::set(sim, "cursor", std::nullopt)) << "removing what isn't there";

    sim.defaultsStore.values["nimbo.pref.board"] = "{not json";
    sim.defaultsStore.values["nimbo.pref.spatial"] = 3;  // not text at all
    EXPECT_EQ(Prefs::get(sim, "board"), std::nullopt);
    EXPECT_EQ(Prefs::get(sim, "spatial"), std::nullopt);
}

TEST_F(PrefsTest, ALockedOrMissingSecretStoreRefusesWithALineAndKeepsTheSecret) {
    ASSERT_TRUE(Prefs::set(sim, "apps", "first"));
    sim.secrets.status = Status::interactionNotAllowed;
    EXPECT_FALSE(Prefs::set(sim, "apps", "second"));
    sim.secrets.status = Status::notAvailable;
    EXPECT_FALSE(Prefs::set(sim, "apps", "third"));
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{
                                    "nimbo: the secret store is locked — \"apps\" not stored",
                                    "nimbo: no secret store answers — \"apps\" not stored",
                                }));
    EXPECT_TRUE(sim.defaultsStore.values.empty()) << "never a plain file instead";
    EXPECT_EQ(Prefs::get(sim, "apps"), std::nullopt) << "a store that can't be read";
    sim.secrets.status = Status::success;
    EXPECT_EQ(Prefs::get(sim, "apps"), Json("first"));
}

TEST_F(PrefsTest, ASecretThatCantBeDeletedIsEmptiedAndOnlyThenReported) {
    ASSERT_TRUE(Prefs::set(sim, "apps", "kept"));
    sim.secrets.removing = -25244;
    EXPECT_TRUE(Prefs::set(sim, "apps", std::nullopt));
    EXPECT_EQ(secretItem(), "") << "emptied";
    EXPECT_EQ(Prefs::get(sim, "apps"), std::nullopt);
    EXPECT_TRUE(sim.output.lines.empty());

    ASSERT_TRUE(Prefs::set(sim, "apps", "kept"));
    sim.secrets.updating = -25308;
    EXPECT_FALSE(Prefs::set(sim, "apps", Json(nullptr))) << "nothing removed is not a success";
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: couldn't remove a Keychain item (-25244, then -25308)"});
    EXPECT_EQ(secretItem(), "\"kept\"");
}

}  // namespace
}  // namespace nimbo
