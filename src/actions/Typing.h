#pragma once
// Putting text into another application's field: written through
// accessibility where the field allows it, else pasted with the user's
// clipboard put back afterwards; checked that it arrived.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace nimbo::Typing {

// Five bytes spelling "nimbo": the user data of every key event the shell posts.
inline constexpr std::int64_t kMarker = 0x6E696D626F;

struct Result {
    bool ok = false;
    std::optional<std::string> why{};
    bool submitted = false;
    std::optional<std::string> into{};
    bool verified = false;
};

// The element with keyboard focus across the desktop, and its role.
struct Focus {
    platform::AXRef element;
    std::string role;
};

// Puts the text into `field`, or into whatever has keyboard focus when null.
// Runs on the main thread and blocks it for its short waits.
Result type(const std::string& text, bool submit, const platform::AXRef& field);
// Whether the text shows on screen near a global point of `screen`; absent
// when it could not look. Answers on the main queue.
void seen(const std::string& text, Point near, const platform::Screen& screen,
          std::function<void(std::optional<bool>)> done);
// The element's value when it is text.
std::optional<std::string> value(const platform::AXRef& element);
std::optional<Focus> focused();
// How the text was written through accessibility; absent when it could not be.
std::optional<std::string> writeViaAccessibility(const std::string& text, const platform::AXRef& field);
// Whether the element's value moved off `before` within `seconds`; absent
// when the value can't be read as text.
std::optional<bool> changed(const platform::AXRef& element, const std::optional<std::string>& before, double seconds);
// One marked press of a key.
void key(int keyCode, std::uint64_t flags);
// Where the text went and how: the application's name, ", " and the verb.
std::string named(const platform::AXRef& element, const std::string& verb);

}  // namespace nimbo::Typing
