#include "base/Log.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace nimbo::Log {
namespace {

std::atomic<platform::Stdio*> current{nullptr};
std::mutex writing;  // one line and its rotation check at a time
std::function<void(platform::Stdio&)> lineCheck;

constexpr char kHex[] = "0123456789ABCDEF";

void appendByte(std::string& out, unsigned char byte) {
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 15];
}

// Length of the well-formed UTF-8 sequence at `at` (no overlong forms, no
// surrogates, nothing past U+10FFFF) and its code point; 0 when there is none.
std::size_t sequenceAt(std::string_view text, std::size_t at, char32_t& point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07, lowest = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

void appendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x80) {
            char32_t point = 0;
            const std::size_t length = sequenceAt(text, i, point);
            if (length == 0) {
                appendByte(out, byte);
                ++i;
            } else if (point <= 0x9F) {  // C1: some terminals act on these too
                out += "\\u{";
                out += kHex[point >> 4];
                out += kHex[point & 15];
                out += '}';
                i += length;
            } else {
                out.append(text.substr(i, length));
                i += length;
            }
            continue;
        }
        switch (byte) {
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    appendByte(out, byte);
                } else {
                    out += static_cast<char>(byte);
                }
        }
        ++i;
    }
}

}  // namespace

void attach(platform::Stdio* output) {
    current.store(output);
}

void line(const std::string& text) {
    platform::Stdio* output = current.load();
    if (!output) return;
    const std::string written = entry(text);
    std::lock_guard lock(writing);
    output->writeLine(written);
    if (lineCheck) lineCheck(*output);
}

void afterEachLine(std::function<void(platform::Stdio&)> check) {
    std::lock_guard lock(writing);
    lineCheck = std::move(check);
}

std::string entry(std::string_view text) {
    std::size_t kept = text.size();
    if (kept > kLongestEntry) {
        kept = kLongestEntry;
        // Back to the start of the character the limit falls in.
        while (kept > 0 && (static_cast<unsigned char>(text[kept]) & 0xC0) == 0x80 && kLongestEntry - kept < 3) --kept;
    }
    std::string out;
    out.reserve(kept + 32);
    appendEscaped(out, text.substr(0, kept));
    if (kept < text.size()) out += "… [cut " + std::to_string(text.size() - kept) + " bytes]";
    return out;
}

}  // namespace nimbo::Log
