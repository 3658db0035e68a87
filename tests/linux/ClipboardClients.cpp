#include "ClipboardClients.h"

#include <stdexcept>

namespace nimbo::test {

OtherOwner::OtherOwner(const Targets& targets, const std::vector<std::string>& options) {
    std::vector<std::string> argv{NIMBO_CLIPBOARD_OWNER};
    argv.insert(argv.end(), options.begin(), options.end());
    for (const auto& [target, bytes] : targets) {
        argv.push_back(target);
        argv.push_back(folder_.path() + "/" + std::to_string(argv.size()));
        writeFile(argv.back(), bytes);
    }
    child_ = std::make_unique<Child>(argv, std::vector<std::pair<std::string, std::string>>{},
                                     folder_.path() + "/stdout.txt");
    if (!waitUntil([&] { return said("owner ready"); })) throw std::runtime_error("no clipboard owner");
}

bool OtherOwner::said(const std::string& line) const {
    return ("\n" + readFile(folder_.path() + "/stdout.txt")).find("\n" + line + "\n") != std::string::npos;
}

std::optional<std::string> readBack(const std::string& target) {
    TempDir scratch;
    Child xclip({"xclip", "-o", "-selection", "clipboard", "-t", target}, {}, scratch.path() + "/out");
    if (xclip.waitForExit(10.0) != std::optional<int>(0)) return std::nullopt;
    return readFile(scratch.path() + "/out");
}

}  // namespace nimbo::test
