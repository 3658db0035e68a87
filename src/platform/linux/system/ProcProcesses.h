#pragma once
// Other processes as /proc shows them to this user: the listening sockets of
// /proc/net/tcp and tcp6, the descriptors that hold them, working directories.
#include "platform/Processes.h"

namespace nimbo::x11 {

class ProcProcesses final : public platform::Processes {
public:
    std::optional<int> listener(int port) override;
    std::optional<std::string> workingDirectory(int pid) override;
};

}  // namespace nimbo::x11
