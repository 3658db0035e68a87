#include <algorithm>
#include <deque>
#include <mutex>

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
};

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
    platform->queues().async(platform::Priority::userInitiated, [image, bounds, recognition, done] {
        auto lines = recognise(image, bounds);
        {
            std::lock_guard lock(recognition->lock);
            recognition->lines = std::move(lines);
        }
        done->leave();
    });
    auto walked = walkFor(bounds);
    std::vector<Line> lines;
    if (done->wait(kRecognitionLimit)) {
        std::lock_guard lock(recognition->lock);
        lines = std::move(recognition->lines);
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
