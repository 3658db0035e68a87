#pragma once
// Reads back what the shell wrote in Base64.
#include <cstdint>
#include <string>
#include <vector>

namespace nimbo::testing {

inline std::vector<std::uint8_t> fromBase64(const std::string& text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        bits = (bits << 6) | static_cast<std::uint32_t>(alphabet.find(c));
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>((bits >> count) & 0xFF));
        }
    }
    return out;
}

// The stand-in JPEG text behind a data address, or "" when it is not one.
inline std::string jpegText(const std::string& dataURL) {
    const std::string prefix = "data:image/jpeg;base64,";
    if (dataURL.rfind(prefix, 0) != 0) return "";
    auto bytes = fromBase64(dataURL.substr(prefix.size()));
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace nimbo::testing
