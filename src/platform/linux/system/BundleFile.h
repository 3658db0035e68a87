#pragma once
#include <string>

#include "platform/Environment.h"

namespace nimbo::x11 {

// The settings installed with the program: "nimbo.bundle.json" beside the
// running binary, read once. A missing or unreadable file leaves every key absent.
class BundleFile final : public platform::Bundle {
public:
    explicit BundleFile(const std::string& path);
    // The file beside /proc/self/exe.
    static std::string besideExecutable();

    MaybeJson info(const std::string& key) const override;

private:
    Json values_ = Json::object();
};

}  // namespace nimbo::x11
