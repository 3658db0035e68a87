#include "actions/Actions.h"

#include <mutex>

#include "actions/Desktop.h"

namespace nimbo::Actions {
namespace {

std::mutex lock;
std::uint64_t currentGeneration = 0;
platform::Platform* attached = nullptr;

}  // namespace

void attach(platform::Platform& platform) {
    attached = &platform;
}

platform::Platform& desktop() {
    return *attached;
}

void dropHeld() {
    std::lock_guard<std::mutex> held(lock);
    ++currentGeneration;
}

std::uint64_t generation() {
    std::lock_guard<std::mutex> held(lock);
    return currentGeneration;
}

}  // namespace nimbo::Actions
