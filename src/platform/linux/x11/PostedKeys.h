#pragma once
// The keys the shell typed through XTest, waiting to come back as raw events
// so they can be reported with the user data they were posted with. XTest
// events carry no sender, so an echo is matched by key and direction, oldest
// first; a fake event the server dropped (a release of a key that wasn't
// down) never comes back, and is forgotten after a while so it can't label
// somebody else's event later.
#include <cstdint>
#include <deque>
#include <optional>

namespace nimbo::x11 {

struct PostedKey {
    unsigned keyCode = 0;  // X key code
    bool press = false;
    std::int64_t userData = 0;
    // A modifier pressed only to give the posted key its flags: not a
    // modifier change of its own.
    bool carriesFlags = false;
};

class PostedKeys {
public:
    // `now` in microseconds of the monotonic clock.
    void add(const PostedKey& key, std::int64_t now);
    // The oldest posted key matching an XTest event, taken off the list.
    std::optional<PostedKey> take(unsigned keyCode, bool press, std::int64_t now);
    void clear() { keys_.clear(); }

private:
    struct Entry {
        PostedKey key;
        std::int64_t postedAt;
    };
    std::deque<Entry> keys_;
};

}  // namespace nimbo::x11
