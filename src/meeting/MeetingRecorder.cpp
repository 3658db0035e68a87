#include "meeting/MeetingRecorder.h"

namespace nimbo {

MeetingRecorder& MeetingRecorder::shared() {
    static MeetingRecorder recorder;
    return recorder;
}

Json MeetingRecorder::state() const {
    return Json{{"id", meetingId ? Json(*meetingId) : Json(nullptr)},
                {"recording", meetingId.has_value()},
                {"startedAt", nullptr}};
}

void MeetingRecorder::stop(std::function<void()> done) {
    if (meetingId) {
        meetingId.reset();
        if (onChange) onChange(state());
    }
    if (done) done();
}

// Nothing uploads yet, so nothing can be in flight.
void MeetingRecorder::settle(double /*timeout*/, std::function<void()> done) {
    if (done) done();
}

}  // namespace nimbo
