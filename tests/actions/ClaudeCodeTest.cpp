#include "actions/ClaudeCode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ClaudeProjects.h"
#include "OfferDesk.h"
#include "support/ShellFixture.h"
#include "support/TempFolder.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;
using ClaudeCode::Target;
using testing::offerOf;
using Answer = std::pair<bool, std::optional<std::string>>;

constexpr double kMinute = 60;
constexpr double kDay = 86400;

class ClaudeCodeTest : public testing::ShellFixture {
protected:
    void SetUp() override {
        launch();
        sim.output.lines.clear();
        sim.desktop.installed = {"com.apple.Terminal"};
    }
    // A process serving `port` from `dir`.
    void serve(int port, const std::string& dir) {
        sim.procs.listeners[port] = 4000 + port;
        sim.procs.directories[4000 + port] = dir;
    }
    double wall() const { return sim.clockImpl.wallNow(); }

    testing::ClaudeProjects store{sim};
};

TEST_F(ClaudeCodeTest, ALocalPageGoesToTheProjectListeningOnItsPort) {
    const auto shop = store.project("code/shop");
    store.conversation(shop, "s-old", 3 * kDay);
    store.conversation(shop, "s-new", 2 * kMinute);
    fs::create_directories(shop + "/web/src");
    serve(5173, shop + "/web/src");  // started in a folder of the project
    const auto other = store.project("code/other");
    store.conversation(other, "o-1", 1, other);

    for (const std::string page : {"http://localhost:5173/cart", "http://LOCALHOST:5173", "http://127.0.0.1:5173/",
                                   "http://0.0.0.0:5173/", "http://[::1]:5173/x"}) {
        auto found = ClaudeCode::target(page);
        ASSERT_TRUE(found) << page;
        EXPECT_EQ(found->cwd, shop) << page;
        EXPECT_EQ(found->session, "s-new") << page;
        EXPECT_EQ(found->label, "shop · Claude session from 2m ago");
        EXPECT_FALSE(found->vscode);
    }
    const auto beside = store.besideHome("p");
    fs::create_directories(beside + "/web");
    serve(8080, beside + "/web");
    EXPECT_EQ(ClaudeCode::target("http://localhost:8080/")->cwd, beside);
    // Served from a folder without a project above it: that folder is the project.
    const auto loose = store.project("notes/site", false);
    serve(8000, loose);
    EXPECT_EQ(ClaudeCode::target("http://localhost:8000/")->label, "site · a new Claude session");
}

TEST_F(ClaudeCodeTest, OtherPagesGoToTheNewestProjectAnywhereButNeverOneUnderTmp) {
    const auto older = store.project("code/older");
    store.conversation(older, "a-1", 2 * kDay, older + "/sub");
    const auto newer = store.project("code/newer");
    store.conversation(newer, "b-1", kDay, newer);
    // The newest of all works in /tmp, in a git project too.
    testing::TempFolder scratch;
    const fs::path underTmp = fs::path("/tmp") / scratch.path().filename();
    fs::create_directories(underTmp / ".git");
    store.conversation(underTmp.string(), "t-1", 10, underTmp.string());
    serve(5173, older);  // what a local page of that port would get

    for (const std::optional<std::string>& page : {std::optional<std::string>{"https://example.com:5173/"},
                                                   {"http://localhost/"},
                                                   {"http://localhost:3999/"},
                                                   {"not an address"},
                                                   std::optional<std::string>{}}) {
        auto found = ClaudeCode::target(page);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->cwd, newer);
        EXPECT_EQ(found->session, "b-1");
        EXPECT_EQ(found->label, "newer · Claude session from 1d ago");
    }
    fs::remove_all(underTmp);
    fs::remove_all(newer);  // its conversation names a folder that is gone: the next one
    auto found = ClaudeCode::target(std::nullopt);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->cwd, older);
    EXPECT_EQ(found->session, "a-1");
}

TEST_F(ClaudeCodeTest, AConversationAWeekOldStartsANewOne) {
    const auto app = store.project("code/app");
    serve(3000, app);
    store.conversation(app, "week", 8 * kDay);
    auto found = ClaudeCode::target("http://localhost:3000/");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->label, "app · a new Claude session");
    EXPECT_EQ(found->session, std::nullopt);
    EXPECT_EQ(ClaudeCode::target(std::nullopt), std::nullopt) << "nothing recent anywhere";

    store.conversation(app, "week", ClaudeCode::kRecent);
    EXPECT_EQ(ClaudeCode::target("http://localhost:3000/")->session, std::nullopt);
    store.conversation(app, "week", ClaudeCode::kRecent - 1);
    EXPECT_EQ(ClaudeCode::target("http://localhost:3000/")->session, "week");
    EXPECT_EQ(ClaudeCode::target("http://localhost:3000/")->label, "app · Claude session from 6d ago");
}

TEST_F(ClaudeCodeTest, OnlyTheTwelveNewestConversationsAreLookedAt) {
    // Twelve newer ones that fail a check each way there is, then one that passes.
    for (int i = 0; i < 12; ++i) {
        const auto dir = store.project("code/p" + std::to_string(i), false);
        const std::string cwd = i % 3 == 0 ? "" : i % 3 == 1 ? dir : "relative/" + std::to_string(i);
        store.conversation(dir, "x" + std::to_string(i), 100 + i, cwd);
    }
    const auto good = store.project("code/good");
    store.conversation(good, "g", 200, good);
    EXPECT_EQ(ClaudeCode::target(std::nullopt), std::nullopt);
    fs::remove_all(store.home() / ".claude" / "projects" / ClaudeCode::encoded((store.home() / "code/p0").string()));
    ASSERT_TRUE(ClaudeCode::target(std::nullopt));
    EXPECT_EQ(ClaudeCode::target(std::nullopt)->session, "g");
}

TEST_F(ClaudeCodeTest, TheMarkersAreReadOnlyNearTheStartOfAConversation) {
    const auto file = store.home() / "c.jsonl";
    auto write = [&](std::size_t padding, const std::string& tail) {
        std::ofstream(file, std::ios::binary) << std::string(padding, 'x') << tail;
    };
    write(0, R"({"a":"b","cwd":"/srv/one"},{"cwd":"/srv/two"})");
    EXPECT_EQ(ClaudeCode::cwdOf(file), "/srv/one");
    write(262144 - 16, R"("cwd":"/srv/one")");  // its closing quote the last byte read
    EXPECT_EQ(ClaudeCode::cwdOf(file), "/srv/one");
    write(262144 - 15, R"("cwd":"/srv/one")");
    EXPECT_EQ(ClaudeCode::cwdOf(file), std::nullopt);
    EXPECT_EQ(ClaudeCode::cwdOf(store.home() / "missing.jsonl"), std::nullopt);

    const std::string marker = R"("entrypoint":"claude-vscode")";
    write(65536 - marker.size(), marker);
    EXPECT_FALSE(ClaudeCode::inVSCode(file)) << "VS Code is not installed";
    sim.desktop.installed.insert("com.microsoft.VSCode");
    EXPECT_TRUE(ClaudeCode::inVSCode(file));
    write(65536 - marker.size() + 1, marker);
    EXPECT_FALSE(ClaudeCode::inVSCode(file));
    write(0, R"("entrypoint": "claude-vscode")");
    EXPECT_FALSE(ClaudeCode::inVSCode(file));
}

TEST_F(ClaudeCodeTest, LabelsNameTheFolderAndTheAge) {
    const double now = wall();
    struct Case {
        bool vscode;
        std::optional<double> age;
        std::string label;
    };
    const std::vector<Case> cases = {
        {false, std::nullopt, "web · a new Claude session"},
        {true, std::nullopt, "web · a new Claude session"},
        {false, 59, "web · Claude session from just now"},
        {false, -30, "web · Claude session from just now"},
        {false, 60, "web · Claude session from 1m ago"},
        {false, 60 * kMinute - 1, "web · Claude session from 59m ago"},
        {false, 60 * kMinute, "web · Claude session from 1h ago"},
        {false, kDay - 1, "web · Claude session from 23h ago"},
        {false, kDay, "web · Claude session from 1d ago"},
        {false, 6.9 * kDay, "web · Claude session from 6d ago"},
        {true, 10 * kMinute - 1, "web · your VS Code session"},
        {true, 10 * kMinute, "web · your VS Code session from 10m ago"},
        {true, 60 * kMinute - 1, "web · your VS Code session from 59m ago"},
        {true, 60 * kMinute, "web · your VS Code session from 1h ago"},
        {true, 3 * kDay, "web · your VS Code session from 72h ago"},
    };
    for (const auto& c : cases) {
        auto at = c.age ? std::optional(now - *c.age) : std::nullopt;
        EXPECT_EQ(ClaudeCode::label("/home/u/web/", c.vscode, at), c.label) << c.age.value_or(-1);
    }
    EXPECT_EQ(ClaudeCode::encoded("/home/u/my.app-é_2/x y"), "-home-u-my-app-é-2-x-y");
}

TEST_F(ClaudeCodeTest, AVSCodeConversationOpensInTheExtensionWithThePromptEncoded) {
    sim.desktop.installed.insert("com.microsoft.VSCode");
    const auto app = store.project("code/app");
    serve(3000, app);
    store.conversation(app, "vs-1", 20 * kMinute, app, "claude-vscode");
    auto found = ClaudeCode::target("http://localhost:3000/");
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->vscode);
    EXPECT_EQ(found->label, "app · your VS Code session from 20m ago");

    EXPECT_EQ(ClaudeCode::open("fix a&b = c? 100% é+\n", *found), Answer(true, std::nullopt));
    EXPECT_EQ(sim.desktop.opened, std::vector<std::string>{"vscode://anthropic.claude-code/open?session=vs-1&prompt="
                                                           "fix%20a%26b%20%3D%20c%3F%20100%25%20%C3%A9%2B%0A"});
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: claude — opened app · your VS Code session from 20m ago"});
    EXPECT_TRUE(sim.desktop.scripts.empty());
    sim.desktop.opens = false;
    EXPECT_EQ(ClaudeCode::open("fix it please", *found), Answer(false, "couldn't open VS Code"));
}

TEST_F(ClaudeCodeTest, TheTerminalScriptRunsTheToolInTheProjectWithThePromptAsOneArgument) {
    const Target fresh{"/srv/app", std::nullopt, "app · a new Claude session", false};
    EXPECT_EQ(ClaudeCode::open("fix the failing test", fresh), Answer(false, "Claude Code isn't installed"));

    const auto record = store.temporary() / "record";
    const auto tool = store.installAgent(record);
    ASSERT_EQ(ClaudeCode::cli(), tool);
    const auto root = store.project("code/it's \"$(touch x)\" `y`\nz");
    const Target forked{root, "s'1", "line\none · Claude session from 2m ago", false};
    ASSERT_EQ(ClaudeCode::open("fix the failing test\n\n", forked), Answer(true, std::nullopt));
    ASSERT_EQ(sim.desktop.scripts.size(), 1u);
    const auto folder = store.temporary() / "nimbo-claude";
    const auto seconds = std::to_string(static_cast<long long>(wall()));
    const auto script = folder / ("tell-claude-" + seconds + ".command");
    const auto prompt = folder / ("prompt-" + seconds + ".txt");
    EXPECT_EQ(sim.desktop.scripts[0], script.string());
    EXPECT_EQ(testing::readBytes(script), "#!/bin/sh\n# nimbo: line one · Claude session from 2m ago\ncd " +
                                              ClaudeCode::quoted(root) + " && " + ClaudeCode::quoted(tool) +
                                              " --resume 's'\\''1' --fork-session -- \"$(cat " +
                                              ClaudeCode::quoted(prompt.string()) + ")\"\n");
    EXPECT_EQ(fs::status(script).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(testing::readBytes(prompt), "fix the failing test");
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: claude — opened line\\none · Claude session from 2m ago (forked)"});

    ASSERT_EQ(testing::runWithShell(script), 0);
    EXPECT_EQ(testing::records(record),
              (std::vector<std::string>{root, "--resume", "s'1", "--fork-session", "--", "fix the failing test"}));
    EXPECT_FALSE(fs::exists(root + "/x")) << "nothing in the folder's name ran";

    // A second prompt in the same second keeps the first one's files.
    fs::remove(record);
    ASSERT_EQ(ClaudeCode::open("-rf and more", {root, std::nullopt, "new", false}), Answer(true, std::nullopt));
    ASSERT_EQ(sim.desktop.scripts.size(), 2u);
    EXPECT_EQ(sim.desktop.scripts[1], (folder / ("tell-claude-" + seconds + "-2.command")).string());
    EXPECT_EQ(testing::readBytes(prompt), "fix the failing test");
    EXPECT_EQ(testing::readBytes(folder / ("prompt-" + seconds + "-2.txt")), "-rf and more");
    ASSERT_EQ(testing::runWithShell(sim.desktop.scripts[1]), 0);
    EXPECT_EQ(testing::records(record), (std::vector<std::string>{root, "--", "-rf and more"}));
    EXPECT_EQ(sim.output.lines.back(), "nimbo: claude — opened new");
}

TEST_F(ClaudeCodeTest, EachWayTheTerminalHandOffFailsIsSaid) {
    store.installAgent(store.temporary() / "record");
    const Target app{store.project("app"), std::nullopt, "app · a new Claude session", false};
    sim.desktop.installed.clear();
    EXPECT_EQ(ClaudeCode::open("fix the failing test", app), Answer(false, "couldn't find Terminal"));
    sim.desktop.installed = {"com.apple.Terminal"};
    sim.desktop.terminalError = "no terminal emulator started";
    EXPECT_EQ(ClaudeCode::open("fix the failing test", app), Answer(false, "couldn't open Terminal"));
    EXPECT_EQ(sim.output.lines,
              std::vector<std::string>{"nimbo: claude — couldn't open Terminal: no terminal emulator started"});

    // A folder of the name that is not this user's own, or no folder at all.
    const auto folder = store.temporary() / "nimbo-claude";
    fs::remove_all(folder);
    fs::create_directories(store.temporary() / "elsewhere");
    fs::create_directory_symlink(store.temporary() / "elsewhere", folder);
    EXPECT_EQ(ClaudeCode::open("fix the failing test", app), Answer(false, "couldn't write the prompt for Claude"));
    EXPECT_TRUE(fs::is_empty(store.temporary() / "elsewhere"));
    sim.env.variables["TMPDIR"] = (store.temporary() / "record").string();
    std::ofstream(store.temporary() / "record") << "a file";
    EXPECT_EQ(ClaudeCode::open("fix the failing test", app), Answer(false, "couldn't write the prompt for Claude"));
}

class ClaudeOfferTest : public testing::OfferDesk {
protected:
    testing::ClaudeProjects store{sim};
};

TEST_F(ClaudeOfferTest, AClaudeOfferIsHeldForItsProjectAndHandedOverWhenAccepted) {
    sim.desktop.installed = {"com.apple.Terminal"};
    const Json offer{{"do", "claude"}, {"prompt", "make the button blue please"}, {"page", "http://localhost:5173/"}};
    EXPECT_EQ(propose(offerOf("c", offer)), testing::refusal("Claude Code isn't installed"));
    store.installAgent(store.temporary() / "record");
    EXPECT_EQ(propose(offerOf("c", offer)), testing::refusal("I couldn't find a Claude Code project for this page"));
    const auto shop = store.project("shop");
    sim.procs.listeners[5173] = 77;
    sim.procs.directories[77] = shop;
    store.conversation(shop, "s-9", 5 * kMinute);
    EXPECT_EQ(propose(offerOf("c", offer)), (Json{{"ok", true}, {"detail", "shop · Claude session from 5m ago"}}));

    sim.advance(0.5);
    pressCaption({150, 90});
    EXPECT_EQ(acceptClick("c", Json{{"x", 100}, {"y", 50}, {"w", 200}, {"h", 80}}),
              (Json{{"id", "c"}, {"ok", true}, {"why", nullptr}, {"by", "click"}, {"kind", "claude"}}));
    ASSERT_EQ(sim.desktop.scripts.size(), 1u);
    EXPECT_NE(testing::readBytes(sim.desktop.scripts[0]).find("--resume 's-9' --fork-session -- "), std::string::npos);
}

}  // namespace
}  // namespace nimbo
