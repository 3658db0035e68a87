#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace devserver {

struct Options {
    std::string host = "127.0.0.1";  // loopback unless asked otherwise
    int port = 3005;                 // the shell's built-in origin
    std::filesystem::path data;      // where meeting uploads land
    bool requireSession = false;     // refuse meeting requests without a known session cookie
    bool prompter = false;           // overlay pages take the steering keys as soon as they load
    // A JSON array of bridge calls ([member, args...]) the /control page makes
    // in order each time it loads, so a test can steer it; empty for none.
    std::string controlSteps;
    // A JSON array of offers; the overlay page proposes the Nth after the
    // elements of its Nth capture, naming the element it acts on by its name.
    std::string overlayOffers;
    // A JSON array of lists of bridge calls ([member, args...]); after the
    // elements of its Nth capture the overlay page makes the Nth list's calls
    // in order and logs each answer.
    std::string overlayCalls;
};

// The data folder used when --data is not given: under $XDG_STATE_HOME, else /tmp.
std::filesystem::path defaultDataFolder();

// Parses the arguments after the program name. On failure `error` says why;
// "--help" gives no options and an empty error.
std::optional<Options> parseOptions(const std::vector<std::string>& args, std::string& error);

const char* usage();

}  // namespace devserver
