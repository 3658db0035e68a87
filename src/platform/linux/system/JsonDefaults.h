#pragma once
#include <mutex>
#include <string>

#include "platform/Defaults.h"

namespace nimbo::x11 {

// User defaults kept as one JSON object in a file, read once and cached.
// Every change rewrites the file atomically (temporary file, fsync, rename),
// so a crash leaves either the old or the new file, never half of one.
// A file that can't be parsed is moved aside as "*.corrupt" and reported.
class JsonDefaults final : public platform::Defaults {
public:
    explicit JsonDefaults(std::string path);
    // $XDG_CONFIG_HOME/nimbo/defaults.json, or ~/.config/nimbo/defaults.json.
    static std::string standardPath();

    MaybeJson get(const std::string& key) const override;
    void set(const std::string& key, const Json& value) override;
    void remove(const std::string& key) override;

    const std::string& path() const { return path_; }

private:
    void loadLocked() const;
    void saveLocked() const;

    const std::string path_;
    mutable std::mutex mutex_;
    mutable bool loaded_ = false;
    mutable Json values_ = Json::object();
};

}  // namespace nimbo::x11
