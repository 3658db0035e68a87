#include "actions/Actions.h"

#include <mutex>

namespace nimbo::Actions {
namespace {

std::mutex lock;
std::uint64_t currentGeneration = 0;

}  // namespace

void dropHeld() {
    std::lock_guard<std::mutex> held(lock);
    ++currentGeneration;
}

std::uint64_t generation() {
    std::lock_guard<std::mutex> held(lock);
    return currentGeneration;
}

}  // namespace nimbo::Actions
