#include "Options.h"

#include <unistd.h>
#include <charconv>
#include <cstdlib>

#include <nlohmann/json.hpp>

namespace devserver {

std::filesystem::path defaultDataFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state) return std::filesystem::path(state) / "nimbo-devserver";
    // Per user, so two accounts on one machine don't fight over one folder.
    return std::filesystem::path("/tmp") / ("nimbo-devserver-" + std::to_string(::getuid()));
}

const char* usage() {
    return "usage: nimbo-devserver [--host 127.0.0.1] [--port 3005] [--data DIR] [--require-session] [--prompter]\n"
           "                       [--control-steps '[[\"member\", args...], ...]'] [--overlay-offers '[{...}, ...]']\n"
           "                       [--overlay-calls '[[[\"member\", args...], ...], ...]']\n";
}

std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error) {
    Options options;
    error.clear();
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        if (flag == "--help" || flag == "-h") return std::nullopt;
        if (flag == "--require-session") {
            options.requireSession = true;
            continue;
        }
        if (flag == "--prompter") {
            options.prompter = true;
            continue;
        }
        if (flag != "--host" && flag != "--port" && flag != "--data" && flag != "--control-steps" &&
            flag != "--overlay-offers" && flag != "--overlay-calls") {
            error = "unknown argument \"" + flag + "\"";
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = flag + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (flag == "--host") {
            if (value.empty()) {
                error = "--host needs a value";
                return std::nullopt;
            }
            options.host = value;
        } else if (flag == "--port") {
            int port = -1;
            auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
            if (ec != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535) {
                error = "--port wants a number from 0 to 65535, not \"" + value + "\"";
                return std::nullopt;
            }
            options.port = port;
        } else if (flag == "--control-steps") {
            const auto steps = nlohmann::json::parse(value, nullptr, false);
            if (!steps.is_array()) {
                error = "--control-steps wants a JSON array, not \"" + value + "\"";
                return std::nullopt;
            }
            options.controlSteps = steps.dump();
        } else if (flag == "--overlay-offers") {
            const auto offers = nlohmann::json::parse(value, nullptr, false);
            if (!offers.is_array()) {
                error = "--overlay-offers wants a JSON array, not \"" + value + "\"";
                return std::nullopt;
            }
            options.overlayOffers = offers.dump();
        } else if (flag == "--overlay-calls") {
            const auto calls = nlohmann::json::parse(value, nullptr, false);
            if (!calls.is_array()) {
                error = "--overlay-calls wants a JSON array, not \"" + value + "\"";
                return std::nullopt;
            }
            options.overlayCalls = calls.dump();
        } else {
            if (value.empty()) {
                error = "--data needs a folder";
                return std::nullopt;
            }
            options.data = value;
        }
    }
    if (options.data.empty()) options.data = defaultDataFolder();
    return options;
}

}  // namespace devserver
