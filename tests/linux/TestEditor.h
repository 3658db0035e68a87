#pragma once
// The GTK test editor (tests/linux/apps/TestEditor.cpp), started for a test,
// and what it says about its view on standard output.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Desktop.h"

namespace nimbo::test {

class TestEditor {
public:
    // Started with its window's corner at x,y and the given options (such as
    // {"--file", PATH}); waits until it is on screen with its text laid out.
    explicit TestEditor(const std::vector<std::string>& options = {}, int x = 40, int y = 40);
    int pid() const { return child_->pid(); }
    std::string output() const;

    // Where its view is: "scrolled VALUE of UPPER page PAGE top LINE: TEXT".
    struct View {
        double value = 0, upper = 0, page = 0;
        int top = 0;        // the 1-based number of the first line shown whole
        std::string words;  // what that line says
    };
    // The view as it last said it was; asks it to say so again first when `ask`.
    std::optional<View> view(bool ask = false);
    // The violet heron's line in the document's pixels: top and height.
    std::optional<std::pair<int, int>> heron() const;

private:
    TempDir folder_;
    std::unique_ptr<Child> child_;
};

}  // namespace nimbo::test
