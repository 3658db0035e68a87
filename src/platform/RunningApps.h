#pragma once
// Other applications by process: their names, and bringing one to the front.
#include <optional>

#include "platform/Application.h"

namespace nimbo::platform {

class RunningApps {
public:
    virtual ~RunningApps() = default;
    // The running application of a process; absent when there is none.
    virtual std::optional<RunningApp> running(int pid) = 0;
    virtual bool isActive(int pid) = 0;
    // Asks for its window to come to the front; false when it has none.
    virtual bool activate(int pid) = 0;
};

}  // namespace nimbo::platform
