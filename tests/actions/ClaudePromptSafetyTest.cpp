// Random prompts, project folders, conversation ids and labels handed to the
// terminal script that the hand-off writes, each script run by /bin/sh with a
// stand-in agent: the agent must get the prompt byte for byte as one argument
// after "--", in the project's folder, and nothing else may run. Every
// fragment that would run something, if the shell ever read the prompt as
// code, creates a canary file.
#include <gtest/gtest.h>

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "ClaudeProjects.h"
#include "actions/ClaudeCode.h"
#include "support/ShellFixture.h"

namespace nimbo {
namespace {

namespace fs = std::filesystem;

long long setting(const char* name, long long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoll(value) : fallback;
}

// What the agent is meant to get: a NUL can't be part of an argument, and the
// shell's command substitution drops the line feeds at the end.
std::string expectedArgument(const std::string& prompt) {
    std::string out;
    for (char c : prompt) {
        if (c != '\0') out += c;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

bool validUtf8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t at = 0; at < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, at, length, c);
        if (c < 0) return false;
    }
    return true;
}

class Generator {
public:
    Generator(std::uint64_t seed, std::string canary) : random_(seed), canary_(std::move(canary)) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // Text made of fragments a shell would read as code, quoting, globbing,
    // options and odd bytes; `path` leaves out "/" and NUL, as a file name must.
    std::string text(int pieces, bool path) {
        const std::string touch = "touch " + canary_;
        const std::vector<std::string> fragments = {"$(" + touch + ")",
                                                    "`" + touch + "`",
                                                    "'; " + touch + "; '",
                                                    "\"; " + touch + "; \"",
                                                    "'\"$(" + touch + ")\"'",
                                                    "\\$(" + touch + ")",
                                                    "$(IFS=x;" + touch + ")",
                                                    "\n" + touch + "\n",
                                                    "'\\''",
                                                    "'",
                                                    "\"",
                                                    "\\",
                                                    "\\\\",
                                                    "\\'",
                                                    "$HOME",
                                                    "${PATH}",
                                                    "$1",
                                                    "$@",
                                                    "$*",
                                                    "$$",
                                                    "$?",
                                                    "$'\\x41'",
                                                    "*",
                                                    "?",
                                                    "[a-z]",
                                                    "~",
                                                    "~root",
                                                    "{a,b}",
                                                    "-",
                                                    "--",
                                                    "-rf",
                                                    "--help",
                                                    "!",
                                                    "#",
                                                    ";",
                                                    "|",
                                                    "&",
                                                    "&&",
                                                    "<",
                                                    ">",
                                                    ">>",
                                                    "(",
                                                    ")",
                                                    "{",
                                                    "}",
                                                    "\n",
                                                    "\r",
                                                    "\t",
                                                    " ",
                                                    "  ",
                                                    "EOF",
                                                    "<<EOF",
                                                    "é",
                                                    "\u2028",
                                                    "日本",
                                                    "\U0001F600",
                                                    "%s",
                                                    "%n",
                                                    "\x1b[31m",
                                                    ".",
                                                    "..",
                                                    "=",
                                                    "a b"};
        std::string out;
        for (int i = 0; i < pieces; ++i) {
            const int pick = below(16);
            if (pick < 4) {  // a byte of any value, UTF-8 or not
                const int byte = 1 + below(255);
                if (!(path && byte == '/')) out += static_cast<char>(byte);
            } else if (pick == 4) {
                if (!path) out += std::string(1, '\0');
            } else {
                std::string fragment = fragments[static_cast<std::size_t>(below(static_cast<int>(fragments.size())))];
                if (path) std::erase(fragment, '/');
                out += fragment;
            }
        }
        if (!path && below(8) == 0) out += std::string(static_cast<std::size_t>(1 + below(3)), '\n');
        return out;
    }

private:
    std::mt19937_64 random_;
    std::string canary_;
};

class ClaudePromptSafetyTest : public testing::ShellFixture {
protected:
    void SetUp() override {
        launch();
        sim.desktop.installed = {"com.apple.Terminal"};
    }
    testing::ClaudeProjects store{sim};
};

TEST_F(ClaudePromptSafetyTest, EveryPromptReachesTheAgentAsItIsAndNothingElseRuns) {
    const long long runs = setting("CLAUDE_PROMPT_SAFETY_RUNS", 300);
    const auto seed = static_cast<std::uint64_t>(setting("CLAUDE_PROMPT_SAFETY_SEED", 20261206));
    const fs::path canary = store.temporary() / "canary";
    Generator generate(seed, canary.string());

    // The home and the temporary folder have names a shell would misread too.
    const auto home = store.home() / "h 'o' \"m\" $(touch C) `e`\n";
    const auto temporary = store.temporary() / "t 'm' $(touch C) *";
    fs::create_directories(home);
    fs::create_directories(temporary);
    sim.env.variables["HOME"] = home.string();
    sim.env.variables["TMPDIR"] = temporary.string();
    const auto record = store.temporary() / "record";
    const auto tool = home / ".local" / "bin" / "claude";
    testing::ClaudeProjects::executable(tool,
                                        "#!/bin/sh\n{ printf '%s\\0' \"$PWD\"; for a; do printf '%s\\0' \"$a\"; "
                                        "done; } >> " +
                                            ClaudeCode::quoted(record.string()) + "\n");
    ASSERT_EQ(ClaudeCode::cli(), tool.string());

    long long delivered = 0, withNul = 0, withTrailingLineFeed = 0, notUtf8 = 0, forked = 0, sameSecond = 0;
    std::size_t bytes = 0;
    std::set<std::string> scriptsSeen;
    for (long long run = 0; run < runs; ++run) {
        const std::string prompt = generate.text(1 + generate.below(40), false);
        std::string folderName = generate.text(1 + generate.below(6), true);
        if (folderName == "." || folderName == "..") folderName += "x";
        const auto root = store.home() / "roots" / (std::to_string(run) + folderName);
        fs::create_directories(root);
        ClaudeCode::Target target{root.string(), std::nullopt, generate.text(1 + generate.below(5), false), false};
        if (generate.below(2) == 0) {
            target.session = generate.text(1 + generate.below(5), true);
            ++forked;
        }

        fs::remove(record);
        const auto [ok, why] = ClaudeCode::open(prompt, target);
        ASSERT_TRUE(ok) << why.value_or("") << " run " << run;
        const std::string script = sim.desktop.scripts.back();
        ASSERT_TRUE(scriptsSeen.insert(script).second) << "a script written over, run " << run;
        const auto name = fs::path(script).filename().string();
        if (name.find('-', std::string("tell-claude-").size()) != std::string::npos) ++sameSecond;
        ASSERT_EQ(testing::runWithShell(script), 0) << "run " << run;

        std::vector<std::string> expected{root.string()};
        if (target.session) expected.insert(expected.end(), {"--resume", *target.session, "--fork-session"});
        expected.insert(expected.end(), {"--", expectedArgument(prompt)});
        ASSERT_EQ(testing::records(record), expected) << "run " << run;
        ASSERT_FALSE(fs::exists(canary)) << "something ran, run " << run;

        ++delivered;
        bytes += prompt.size();
        withNul += prompt.find('\0') != std::string::npos;
        withTrailingLineFeed += !prompt.empty() && prompt.back() == '\n';
        notUtf8 += !validUtf8(prompt);
        fs::remove_all(root);
        // Sometimes the next prompt comes within the same second.
        sim.clockImpl.setNow(sim.clockImpl.now() + generate.below(3) * 0.6);
    }
    std::cout << "claude prompt safety, seed " << seed << ": " << delivered << " of " << runs
              << " prompts delivered byte for byte (" << bytes << " bytes; " << withNul << " with NUL bytes, "
              << withTrailingLineFeed << " ending in a line feed, " << notUtf8 << " not UTF-8, " << forked
              << " continuing a conversation, " << sameSecond
              << " in the same second as the one before), canary never created\n";
}

}  // namespace
}  // namespace nimbo
