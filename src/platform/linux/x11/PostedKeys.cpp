#include "platform/linux/x11/PostedKeys.h"

namespace nimbo::x11 {
namespace {
// Echoes come back within milliseconds; this is far beyond a busy server.
constexpr std::int64_t kEchoWindowMicroseconds = 2'000'000;
}  // namespace

void PostedKeys::add(const PostedKey& key, std::int64_t now) {
    keys_.push_back({key, now});
}

std::optional<PostedKey> PostedKeys::take(unsigned keyCode, bool press, std::int64_t now) {
    while (!keys_.empty() && now - keys_.front().postedAt > kEchoWindowMicroseconds) keys_.pop_front();
    for (auto it = keys_.begin(); it != keys_.end(); ++it) {
        if (it->key.keyCode == keyCode && it->key.press == press) {
            const PostedKey key = it->key;
            keys_.erase(it);
            return key;
        }
    }
    return std::nullopt;
}

}  // namespace nimbo::x11
