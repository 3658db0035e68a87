#include <algorithm>
#include <deque>
#include <mutex>
#include <string>

#include "base/Log.h"
#include "screen/Assemble.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Rects.h"

namespace nimbo::Elements {

namespace {

constexpr size_t kRememberedCaptures = 3;
// Recognition that has not finished by then costs the ask its text, not the
// thread that asked.
constexpr double kRecognitionLimit = 20;

std::mutex targetsLock;
std::deque<std::pair<int, std::map<std::string, Target>>> targets;

void remember(int capture, std::map<std::string, Target> byId) {
    std::lock_guard lock(targetsLock);
    targets.emplace_back(capture, std::move(byId));
    while (targets.size() > kRememberedCaptures) targets.pop_front();
}

struct Recognition {
    std::mutex lock;
    std::vector<Line> lines;
    double seconds = 0;
};

std::string milliseconds(double seconds) {
    return std::to_string(static_cast<long long>(seconds * 1000.0)) + "ms";
}

}  // namespace

namespace detail {

void forgetTargets() {
    std::lock_guard lock(targetsLock);
    targets.clear();
}

}  // namespace detail

Json build(const platform::Image& image, const Rect& bounds, std::optional<int> capture) {
    auto* platform = detail::desktop();
    if (!platform) return Json::array();
    // Recognition on another thread while this one walks.
    auto recognition = std::make_shared<Recognition>();
    auto done = platform->queues().group();
    done->enter();
    auto& clock = platform->clock();
    const double began = clock.now();
    platform->queues().async(platform::Priority::userInitiated, [image, bounds, recognition, done, &clock, began] {
        auto lines = recognise(image, bounds);
        {
            std::lock_guard lock(recognition->lock);
            recognition->lines = std::move(lines);
            recognition->seconds = clock.now() - began;
        }
        done->leave();
    });
    auto walked = walkFor(bounds);
    const double walkedIn = clock.now() - began;
    std::vector<Line> lines;
    std::string recognisedIn = "not in time";
    if (done->wait(kRecognitionLimit)) {
        std::lock_guard lock(recognition->lock);
        lines = std::move(recognition->lines);
        recognisedIn = "in " + milliseconds(recognition->seconds);
    }
    // Where the time of an ask goes, for the latency benchmark.
    if (capture) {
        Log::line("nimbo: capture " + std::to_string(*capture) + " walked in " + milliseconds(walkedIn) +
                  ", recognised " + recognisedIn);
    }
    // Text on the desktop, on the shell's own windows or on see-through ones is no target.
    std::erase_if(lines, [&](const Line& line) {
        auto centre = Rects::centre(line.rect);
        return std::none_of(walked.surfaces.begin(), walked.surfaces.end(),
                            [&](const Rect& surface) { return Rects::contains(surface, centre); });
    });
    auto assembled = assemble(lines, walked.windows, bounds);
    if (capture) remember(*capture, std::move(assembled.byId));
    return assembled.elements;
}

std::optional<Target> target(int capture, const std::string& id) {
    std::lock_guard lock(targetsLock);
    for (auto entry = targets.rbegin(); entry != targets.rend(); ++entry) {
        if (entry->first != capture) continue;
        auto found = entry->second.find(id);
        if (found == entry->second.end()) return std::nullopt;
        return found->second;
    }
    return std::nullopt;
}

}  // namespace nimbo::Elements
