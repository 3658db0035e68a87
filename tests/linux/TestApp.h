#pragma once
// The GTK test application (tests/linux/apps), started for a test and read
// through the accessibility bus; and a plain walk of an accessibility tree.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "platform/Accessibility.h"

namespace nimbo::test {

class TestApp {
public:
    // Started with its window's corner at x,y; waits until it is on screen.
    explicit TestApp(int x = 100, int y = 100, const std::vector<std::string>& options = {});
    int pid() const { return child_->pid(); }
    Child& process() { return *child_; }
    // Whether it printed this line so far.
    bool said(const std::string& line) const;
    // Where it said a widget is on screen: the Save button or the entry.
    std::optional<Rect> placed(const std::string& name) const;
    // Its application element, once it is on the accessibility bus.
    platform::AXRef element(platform::Accessibility& accessibility);

private:
    TempDir folder_;
    std::unique_ptr<Child> child_;
};

// The fifteen attributes a walk reads, in its order.
const std::vector<std::string>& walkAttributes();

struct Seen {
    platform::AXRef element;
    std::string role;
    std::string title;
    std::optional<std::string> placeholder;
    std::optional<Rect> frame;
    platform::AXValue value;
    size_t visibleRows = 0;
};

// Every element under `root`, depth first, each read in one batch.
std::vector<Seen> walkAll(platform::Accessibility& accessibility, const platform::AXRef& root);

// The first seen element of that role and title.
const Seen* find(const std::vector<Seen>& seen, const std::string& role, const std::string& title = "");

}  // namespace nimbo::test
