#pragma once
// Other processes of this machine, as far as their owner lets the shell see
// them: which one listens on a TCP port, and where it works.
#include <optional>
#include <string>

namespace nimbo::platform {

class Processes {
public:
    virtual ~Processes() = default;
    // The process listening for TCP connections on a port of this machine (any
    // local address, IPv4 or IPv6); absent when none the shell may see does.
    // Safe from any thread.
    virtual std::optional<int> listener(int port) = 0;
    // A process's working directory; absent when it is gone or not readable.
    virtual std::optional<std::string> workingDirectory(int pid) = 0;
};

}  // namespace nimbo::platform
