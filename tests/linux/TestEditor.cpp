#include "TestEditor.h"

#include <signal.h>

#include <cstdio>
#include <stdexcept>

namespace nimbo::test {

TestEditor::TestEditor(const std::vector<std::string>& options, int x, int y) {
    std::vector<std::string> argv{NIMBO_TEST_EDITOR, "--at", std::to_string(x) + "," + std::to_string(y)};
    argv.insert(argv.end(), options.begin(), options.end());
    child_ = std::make_unique<Child>(argv, std::vector<std::pair<std::string, std::string>>{},
                                     folder_.path() + "/stdout.txt");
    if (!waitUntil([&] { return linesWith(output(), "ready") > 0 || child_->exited(); }, 30.0) || child_->exited()) {
        throw std::runtime_error("the test editor did not show; it said: " + output());
    }
}

std::string TestEditor::output() const {
    return readFile(folder_.path() + "/stdout.txt");
}

std::optional<TestEditor::View> TestEditor::view(bool ask) {
    if (ask) {
        const auto said = linesWith(output(), "scrolled ");
        child_->signal(SIGUSR1);
        waitUntil([&] { return linesWith(output(), "scrolled ") > said; }, 5.0);
    }
    std::optional<View> last;
    for (const auto& line : linesOf(output())) {
        View seen;
        int end = 0;
        if (std::sscanf(line.c_str(), "scrolled %lf of %lf page %lf top %d: %n", &seen.value, &seen.upper, &seen.page,
                        &seen.top, &end) == 4 &&
            end > 0) {
            seen.words = line.substr(static_cast<std::size_t>(end));
            last = seen;
        }
    }
    return last;
}

std::optional<std::pair<int, int>> TestEditor::heron() const {
    for (const auto& line : linesOf(output())) {
        int top = 0, height = 0;
        if (std::sscanf(line.c_str(), "heron at %d %d", &top, &height) == 2) return std::make_pair(top, height);
    }
    return std::nullopt;
}

}  // namespace nimbo::test
