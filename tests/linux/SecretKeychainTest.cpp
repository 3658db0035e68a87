// Secrets in a real secret service (gnome-keyring on the test's session bus),
// and what the shell does where there is none or it is locked: refuse, say so,
// and never prompt.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "TestKeyring.h"
#include "platform/linux/secrets/SecretServiceKeychain.h"

namespace nimbo::test {
namespace {

namespace Status = platform::KeychainStatus;
const platform::KeychainItem kApps{"dev.nimbo.Shell", "nimbo.pref.apps"};

TEST(SecretKeychain, KeepsOneItemPerServiceAndAccountThatOutsideToolsFind) {
    TempDir home;
    TestKeyring keyring(home.path());
    x11::SecretServiceKeychain keychain;
    const platform::KeychainItem session{"dev.nimbo.Shell.session", "nimbo.pref.apps"};

    EXPECT_EQ(keychain.copy(kApps).status, Status::itemNotFound);
    EXPECT_EQ(keychain.update(kApps, "[1]"), Status::itemNotFound) << "update never makes an item";
    ASSERT_EQ(keychain.add(kApps, R"({"mail":"x"})"), Status::success);
    EXPECT_EQ(keychain.add(kApps, "[2]"), Status::duplicateItem);
    ASSERT_EQ(keychain.update(kApps, R"(["second"])"), Status::success);
    const auto read = keychain.copy(kApps);
    EXPECT_EQ(read.status, Status::success);
    EXPECT_EQ(read.data, R"(["second"])");
    EXPECT_EQ(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"), R"(["second"])");
    // Another service's item of the same account is another item.
    EXPECT_EQ(keychain.copy(session).status, Status::itemNotFound);
    ASSERT_EQ(keychain.add(session, "s"), Status::success);

    EXPECT_EQ(keychain.remove(kApps), Status::success);
    EXPECT_EQ(keychain.copy(kApps).status, Status::itemNotFound);
    EXPECT_FALSE(keyring.lookup("dev.nimbo.Shell", "nimbo.pref.apps"));
    EXPECT_EQ(keychain.remove(kApps), Status::itemNotFound);
    EXPECT_EQ(keychain.copy(session).data, "s");
}

TEST(SecretKeychain, RefusesALockedKeyringWithoutPrompting) {
    LogLines log;
    TempDir home;
    TestKeyring keyring(home.path());
    x11::SecretServiceKeychain keychain;
    ASSERT_EQ(keychain.add(kApps, "\"old\""), Status::success);
    keyring.lock();

    EXPECT_EQ(keychain.copy(kApps).status, Status::interactionNotAllowed);
    EXPECT_EQ(keychain.update(kApps, "\"new\""), Status::interactionNotAllowed);
    EXPECT_EQ(keychain.add(kApps, "\"new\""), Status::interactionNotAllowed);
    EXPECT_EQ(log.lines, std::vector<std::string>{"nimbo: the secret service's keyring is locked — the secret "
                                                  "\"nimbo.pref.apps\" was not stored"});
}

TEST(SecretKeychain, RefusesWhereNoSecretServiceIsOnTheBus) {
    LogLines log;
    ASSERT_FALSE(nameOwned("org.freedesktop.secrets"));
    x11::SecretServiceKeychain keychain;
    EXPECT_EQ(keychain.copy(kApps).status, Status::notAvailable);
    EXPECT_EQ(keychain.update(kApps, "\"x\""), Status::notAvailable);
    EXPECT_EQ(keychain.add(kApps, "\"x\""), Status::notAvailable);
    EXPECT_EQ(keychain.remove(kApps), Status::notAvailable);
    EXPECT_EQ(log.lines, std::vector<std::string>{"nimbo: no secret service answers on the session bus — the secret "
                                                  "\"nimbo.pref.apps\" was not stored"});
}

}  // namespace
}  // namespace nimbo::test
