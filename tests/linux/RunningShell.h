#pragma once
// The nimbo program started as a user past the first launch would start it,
// in private folders, against the reference server, and what its overlay
// pages say in its log.
#include <memory>
#include <string>
#include <vector>

#include "Desktop.h"

namespace nimbo::test {

// What the overlay pages said that begins with `what`, each from just after
// the page's name ("nimbo: [page] overlay <display> <what it says>"; the
// display's name depends on the server's outputs), in order.
std::vector<std::string> pageSaid(const std::string& log, const std::string& what);
std::size_t pageLines(const std::string& log, const std::string& what);

class RunningShell {
public:
    explicit RunningShell(const DevServer& server);
    ~RunningShell();
    RunningShell(const RunningShell&) = delete;
    RunningShell& operator=(const RunningShell&) = delete;

    std::string log() const;
    // Waits until an overlay page has said `what`; false if it never did or
    // the program ended first.
    bool pageSays(const std::string& what, double seconds = 10.0);

private:
    TempDir home_;
    std::unique_ptr<Child> shell_;
};

}  // namespace nimbo::test
