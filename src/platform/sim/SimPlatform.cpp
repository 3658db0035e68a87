#include "platform/sim/SimPlatform.h"

#include "base/Log.h"
#include "screen/Elements.h"

namespace nimbo::sim {

void SimQueues::drain() {
    while (!waiting.empty()) {
        auto work = std::move(waiting.front());
        waiting.pop_front();
        work();
    }
}

namespace {

class SimGroup final : public platform::Group {
public:
    SimGroup(SimQueues& queues, SimClock& clock) : queues_(queues), clock_(clock) {}
    void enter() override { ++count_; }
    void leave() override {
        if (count_ > 0) --count_;
    }
    bool wait(double seconds) override {
        if (count_ > 0 && !queues_.stalled) queues_.drain();
        if (count_ == 0) return true;
        clock_.setNow(clock_.now() + (seconds > 0 ? seconds : 0));
        return false;
    }

private:
    SimQueues& queues_;
    SimClock& clock_;
    int count_ = 0;
};

}  // namespace

std::shared_ptr<platform::Group> SimQueues::group() {
    return std::make_shared<SimGroup>(*this, clock_);
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
    Elements::detach(*this);
    Log::attach(nullptr);
}

}  // namespace nimbo::sim
