#include "RunningShell.h"

#include <signal.h>

#include <sstream>

namespace nimbo::test {

std::vector<std::string> pageSaid(const std::string& log, const std::string& what) {
    const std::string prefix = "nimbo: [page] overlay ";
    std::vector<std::string> said;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(prefix, 0) != 0) continue;
        const auto after = line.find(' ', prefix.size());
        if (after != std::string::npos && line.compare(after + 1, what.size(), what) == 0) {
            said.push_back(line.substr(after + 1));
        }
    }
    return said;
}

std::size_t pageLines(const std::string& log, const std::string& what) {
    return pageSaid(log, what).size();
}

// A returning user: on a first launch the control center opens by itself
// and would cover the application the test asks about.
RunningShell::RunningShell(const DevServer& server) {
    onboarded(home_);
    shell_ = startShell(home_, server.origin());
}

RunningShell::~RunningShell() {
    shell_->signal(SIGTERM);
    shell_->waitForExit(5.0);
}

std::string RunningShell::log() const {
    return readFile(shellLog(home_));
}

bool RunningShell::pageSays(const std::string& what, double seconds) {
    return waitUntil([&] { return pageLines(log(), what) > 0 || shell_->exited(); }, seconds) && !shell_->exited();
}

}  // namespace nimbo::test
