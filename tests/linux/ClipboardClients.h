#pragma once
// Other clients of the clipboard: an application that copied, and a reader of
// its own (xclip), so what the shell leaves there is seen from outside it.
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Desktop.h"

namespace nimbo::test {

using Targets = std::vector<std::pair<std::string, std::string>>;

// Owns the clipboard with these targets and bytes until it is destroyed.
class OtherOwner {
public:
    explicit OtherOwner(const Targets& targets, const std::vector<std::string>& options = {});
    bool said(const std::string& line) const;

private:
    TempDir folder_;
    std::unique_ptr<Child> child_;
};

// What a client of its own reads from the clipboard as `target`.
std::optional<std::string> readBack(const std::string& target);

}  // namespace nimbo::test
