// Secrets in a real secret service (gnome-keyring on the test's session bus),
// and what the shell does where there is none or it is locked: refuse, say so,
// and never keep the secret anywhere else.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "TestKeyring.h"
#include "platform/linux/secrets/SecretStore.h"

namespace nimbo::test {
namespace {

using Outcome = x11::SecretStore::Outcome;

std::vector<std::uint8_t> bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(SecretStore, KeepsOneItemPerAccountThatOutsideToolsFind) {
    TempDir home;
    TestKeyring keyring(home.path());
    const x11::SecretStore store("dev.nimbo.Shell");
    const x11::SecretStore session("dev.nimbo.Shell.session");

    EXPECT_FALSE(store.read("nimbo.pref.apps"));
    ASSERT_EQ(store.write("nimbo.pref.apps", bytes(R"({"mail":"x"})")), Outcome::done);
    ASSERT_EQ(store.write("nimbo.pref.apps", bytes(R"(["second"])")), Outcome::done);
    EXPECT_EQ(store.read("nimbo.pref.apps"), bytes(R"(["second"])"));
    EXPECT_EQ(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"), R"(["second"])");
    // Another service's item of the same account is another item.
    EXPECT_FALSE(session.read("nimbo.pref.apps"));
    ASSERT_EQ(session.write("nimbo.pref.apps", bytes("s")), Outcome::done);

    EXPECT_EQ(store.erase("nimbo.pref.apps"), Outcome::done);
    EXPECT_FALSE(store.read("nimbo.pref.apps"));
    EXPECT_FALSE(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"));
    EXPECT_EQ(store.erase("nimbo.pref.apps"), Outcome::done) << "nothing there is no failure";
    EXPECT_EQ(session.read("nimbo.pref.apps"), bytes("s"));
}

TEST(SecretStore, RefusesALockedKeyringWithoutPrompting) {
    LogLines log;
    TempDir home;
    TestKeyring keyring(home.path());
    const x11::SecretStore store("dev.nimbo.Shell");
    ASSERT_EQ(store.write("nimbo.pref.apps", bytes("\"old\"")), Outcome::done);
    keyring.lock();

    EXPECT_EQ(store.write("nimbo.pref.apps", bytes("\"new secret\"")), Outcome::locked);
    EXPECT_EQ(
        log.count("nimbo: the secret service's keyring is locked — the secret \"nimbo.pref.apps\" was not stored"), 1u);
    EXPECT_FALSE(store.read("nimbo.pref.apps")) << "a locked item reads as absent";
}

TEST(SecretStore, RefusesWhereNoSecretServiceIsOnTheBus) {
    LogLines log;
    ASSERT_FALSE(nameOwned("org.freedesktop.secrets"));
    const x11::SecretStore store("dev.nimbo.Shell");
    EXPECT_EQ(store.write("nimbo.pref.apps", bytes("\"x\"")), Outcome::absent);
    EXPECT_EQ(log.count("nimbo: no secret service answers on the session bus — the secret \"nimbo.pref.apps\" was not "
                        "stored"),
              1u);
    EXPECT_FALSE(store.read("nimbo.pref.apps"));
    EXPECT_EQ(store.erase("nimbo.pref.apps"), Outcome::absent);
}

}  // namespace
}  // namespace nimbo::test
