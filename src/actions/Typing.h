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
    std::optional<std::string> why;
    bool submitted = false;
    std::optional<std::string> into;
    bool verified = false;
};

Result type(const std::string& text, bool submit, const platform::AXRef& field);
// Whether the text shows on screen near a global point of `screen`; absent
// when it could not look. Answers on the main queue.
void seen(const std::string& text, Point near, const platform::Screen& screen,
          std::function<void(std::optional<bool>)> done);
std::optional<std::string> value(const platform::AXRef& element);
std::optional<std::string> writeViaAccessibility(const std::string& text, const platform::AXRef& field);
std::optional<bool> changed(const platform::AXRef& element, const std::optional<std::string>& before,
                            double seconds);
void key(int keyCode, std::uint64_t flags);
std::string named(const platform::AXRef& element, const std::string& verb);

}  // namespace nimbo::Typing
