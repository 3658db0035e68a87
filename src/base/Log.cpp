#include "base/Log.h"

#include <atomic>

namespace nimbo::Log {
namespace {
std::atomic<platform::Stdio*> current{nullptr};
}

void attach(platform::Stdio* output) {
    current.store(output);
}

void line(const std::string& text) {
    if (platform::Stdio* output = current.load()) output->writeLine(text);
}

}  // namespace nimbo::Log
