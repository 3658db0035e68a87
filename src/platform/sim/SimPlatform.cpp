#include "platform/sim/SimPlatform.h"

#include "base/Log.h"

namespace nimbo::sim {

void SimQueues::drain() {
    while (!waiting.empty()) {
        auto work = std::move(waiting.front());
        waiting.pop_front();
        work();
    }
}

MaybeJson SimDefaults::get(const std::string& key) const {
    auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

std::optional<std::string> SimEnvironment::variable(const std::string& name) const {
    auto found = variables.find(name);
    if (found == variables.end()) return std::nullopt;
    return found->second;
}

MaybeJson SimBundle::info(const std::string& key) const {
    auto found = values.find(key);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

void SimCookies::all(std::function<void(std::vector<platform::Cookie>)> done) {
    if (!answers || !main_) return;
    main_->post([done = std::move(done), jar = jar] { done(jar); });
}

SimPlatform::SimPlatform() {
    cookieStore.main_ = &mainQueue;
    Log::attach(&output);
}

SimPlatform::~SimPlatform() {
    Log::attach(nullptr);
}

}  // namespace nimbo::sim
