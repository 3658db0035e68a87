#pragma once
// Meeting recording: one recorder for the whole process.
#include <functional>
#include <optional>
#include <string>

#include "platform/Json.h"

namespace nimbo {

class MeetingRecorder {
public:
    static MeetingRecorder& shared();

    std::string origin;
    // Told of every state change: {"id", "recording", "startedAt"}.
    std::function<void(const Json& state)> onChange;
    // The meeting being recorded, if any.
    std::optional<std::string> meetingId;

    // Stops the recording in progress (if any) and calls `done`.
    void stop(std::function<void()> done);
    // Waits up to `timeout` seconds for uploads still in flight, then calls `done`.
    void settle(double timeout, std::function<void()> done);

    Json state() const;

private:
    MeetingRecorder() = default;
};

}  // namespace nimbo
