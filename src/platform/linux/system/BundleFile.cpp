#include "platform/linux/system/BundleFile.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace nimbo::x11 {

BundleFile::BundleFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::stringstream text;
    text << in.rdbuf();
    Json parsed = Json::parse(text.str(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
    } else {
        std::fprintf(stderr, "nimbo: %s is not a JSON object — ignored\n", path.c_str());
    }
}

std::string BundleFile::besideExecutable() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "nimbo.bundle.json";
    std::string exe(buffer, static_cast<size_t>(length));
    const auto slash = exe.rfind('/');
    return (slash == std::string::npos ? std::string(".") : exe.substr(0, slash)) + "/nimbo.bundle.json";
}

MaybeJson BundleFile::info(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return *it;
}

}  // namespace nimbo::x11
