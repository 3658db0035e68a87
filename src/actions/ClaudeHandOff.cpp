// Handing the prompt over: to the agent's VS Code extension by its address,
// else to a terminal through a small script that runs the tool.
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "actions/ClaudeCode.h"
#include "actions/ClaudePlaces.h"
#include "actions/Desktop.h"
#include "base/Log.h"
#include "base/Url.h"

namespace nimbo::ClaudeCode {
namespace {

namespace fs = std::filesystem;
using Answer = std::pair<bool, std::optional<std::string>>;

// Names taken in one second get a number after the time; past this many, something is wrong.
constexpr int kNamesPerSecond = 10000;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool writeAll(std::FILE* file, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool writeAndClose(File file, const std::string& bytes) {
    const bool written = writeAll(file.get(), bytes);
    return std::fclose(file.release()) == 0 && written;
}

// The folder the files go to, only when it is a real folder of this user's
// alone: in a shared /tmp another user could have made it, and a script read
// from their folder would run whatever they put there. Changing its mode
// succeeds only for its owner.
std::optional<fs::path> ownFolder() {
    const fs::path folder = temporaryFolder() / "nimbo-claude";
    std::error_code error;
    fs::create_directories(folder, error);
    if (!fs::is_directory(fs::symlink_status(folder, error))) return std::nullopt;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, error);
    if (error) return std::nullopt;
    return folder;
}

struct Names {
    fs::path prompt;
    fs::path script;
    File claimed;  // the script file, made by this call alone
};

// The time in whole seconds names the files; a name already taken, in the
// same second or by an earlier run, gets "-2", "-3", ... after the time.
std::optional<Names> claimNames(const fs::path& folder) {
    const auto seconds = static_cast<long long>(wallNow());
    for (int n = 1; n <= kNamesPerSecond; ++n) {
        const std::string stem = std::to_string(seconds) + (n == 1 ? "" : "-" + std::to_string(n));
        Names names{folder / ("prompt-" + stem + ".txt"), folder / ("tell-claude-" + stem + ".command"), nullptr};
        std::error_code error;
        if (fs::exists(names.prompt, error) || fs::exists(names.script, error)) continue;
        names.claimed.reset(std::fopen(names.script.c_str(), "wx"));
        if (names.claimed) return names;
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// Written beside its final name and moved over it, so a reader sees all of it or nothing.
bool writeAtomically(const fs::path& path, const std::string& bytes) {
    fs::path part = path;
    part.replace_filename("." + path.filename().string() + ".part");
    File file(std::fopen(part.c_str(), "wb"));
    if (!file || !writeAndClose(std::move(file), bytes)) return false;
    std::error_code error;
    fs::rename(part, path, error);
    if (error) fs::remove(part, error);
    return !error;
}

// A comment stays one line whatever a folder's name holds.
std::string commentLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return text;
}

std::string commandLine(const Target& to, const std::string& tool, const fs::path& promptFile) {
    std::string command = "cd " + quoted(to.cwd) + " && " + quoted(tool);
    if (to.session) command += " --resume " + quoted(*to.session) + " --fork-session";
    // The prompt is one argument read from its file, after the end of the options.
    return command + " -- \"$(cat " + quoted(promptFile.string()) + ")\"";
}

// The script's path, once it and the prompt's file are both written.
std::optional<fs::path> writeScript(const std::string& prompt, const Target& to, const std::string& tool) {
    auto folder = ownFolder();
    auto names = folder ? claimNames(*folder) : std::nullopt;
    if (!names) return std::nullopt;
    const std::string script =
        "#!/bin/sh\n# nimbo: " + commentLine(to.label) + "\n" + commandLine(to, tool, names->prompt) + "\n";
    std::error_code error;
    if (!writeAtomically(names->prompt, deliverable(prompt)) || !writeAndClose(std::move(names->claimed), script)) {
        fs::remove(names->script, error);
        return std::nullopt;
    }
    fs::permissions(names->script, fs::perms::owner_all, fs::perm_options::replace, error);
    if (error) return std::nullopt;
    return names->script;
}

Answer openInVSCode(const std::string& prompt, const Target& to) {
    const std::string address = "vscode://anthropic.claude-code/open?session=" + Url::escapeQueryValue(*to.session) +
                                "&prompt=" + Url::escapeQueryValue(prompt);
    if (!Url::parse(address) || !Actions::desktop().workspace().openURL(address)) {
        return {false, "couldn't open VS Code"};
    }
    Log::line("nimbo: claude — opened " + to.label);
    return {true, std::nullopt};
}

Answer openInTerminal(const std::string& prompt, const Target& to) {
    auto tool = cli();
    if (!tool) return {false, "Claude Code isn't installed"};
    auto script = writeScript(prompt, to, *tool);
    if (!script) return {false, "couldn't write the prompt for Claude"};
    auto& workspace = Actions::desktop().workspace();
    if (!workspace.hasApplication("com.apple.Terminal")) return {false, "couldn't find Terminal"};
    // The terminal is started at once here, so a failure is known and told as one.
    if (auto error = workspace.openInTerminal(script->string())) {
        Log::line("nimbo: claude — couldn't open Terminal: " + *error);
        return {false, "couldn't open Terminal"};
    }
    Log::line("nimbo: claude — opened " + to.label + (to.session ? " (forked)" : ""));
    return {true, std::nullopt};
}

}  // namespace

std::pair<bool, std::optional<std::string>> open(const std::string& prompt, const Target& to) {
    if (to.vscode && to.session) return openInVSCode(prompt, to);
    return openInTerminal(prompt, to);
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string deliverable(const std::string& prompt) {
    std::string out;
    out.reserve(prompt.size());
    for (char c : prompt) {
        if (c != '\0') out += c;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace nimbo::ClaudeCode
