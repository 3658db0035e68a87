// Plain text of unknown encoding: UTF-8 first, UTF-16 when a byte order mark
// or the pattern of its NULs says so, else Windows-1252, which any byte
// sequence decodes as. Whatever it decodes to, text with many control
// characters is a binary file under a text name and gives nothing.
#include <glib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/linux/documents/Readers.h"

namespace nimbo::documents {
namespace {

// Control characters other than white space beyond this share mean "not text".
constexpr double kMostControls = 0.05;
// How much of the start the NULs of UTF-16 are looked for in.
constexpr std::size_t kSniffed = 4096;

constexpr std::array<char16_t, 32> kWindows1252{0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                                0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2014, 0x2013,
                                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void append(std::string& out, gunichar code) {
    std::array<char, 8> utf8{};
    int length = g_unichar_to_utf8(code, utf8.data());
    out.append(utf8.data(), static_cast<size_t>(length));
}

std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t at) -> char16_t {
        auto a = static_cast<unsigned char>(bytes[at]);
        auto b = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        char16_t first = unit(at);
        if (first >= 0xD800 && first <= 0xDBFF && at + 3 < bytes.size()) {
            char16_t second = unit(at + 2);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                append(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
                at += 2;
                continue;
            }
        }
        append(out, first >= 0xD800 && first <= 0xDFFF ? 0xFFFD : first);
    }
    return out;
}

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        append(out, b < 0x80 ? b : b < 0xA0 ? kWindows1252[b - 0x80] : b);
    }
    return out;
}

// Which byte of each pair is NUL in most pairs of the start: the high byte of
// mostly-Latin UTF-16. 0 when neither is.
int nulSide(std::string_view bytes) {
    size_t pairs = std::min(bytes.size(), kSniffed) / 2;
    if (pairs < 2) return 0;
    size_t evenNuls = 0;
    size_t oddNuls = 0;
    for (size_t i = 0; i < pairs; ++i) {
        evenNuls += bytes[2 * i] == '\0';
        oddNuls += bytes[2 * i + 1] == '\0';
    }
    if (oddNuls * 10 > pairs * 4 && evenNuls * 20 < pairs) return 1;   // little-endian
    if (evenNuls * 10 > pairs * 4 && oddNuls * 20 < pairs) return -1;  // big-endian
    return 0;
}

// The longest prefix of UTF-8 that is valid, when what follows is only a
// character cut by the end of the read; nothing when it is invalid inside.
std::optional<std::string_view> validUtf8(std::string_view bytes, bool cut) {
    const gchar* end = nullptr;
    if (g_utf8_validate_len(bytes.data(), bytes.size(), &end)) return bytes;
    auto valid = static_cast<size_t>(end - bytes.data());
    if (cut && bytes.size() - valid < 4) return bytes.substr(0, valid);
    return std::nullopt;
}

bool looksLikeText(std::string_view text) {
    size_t controls = 0;
    size_t characters = 0;
    for (const char* c = text.data(); c < text.data() + text.size(); c = g_utf8_next_char(c)) {
        gunichar code = g_utf8_get_char(c);
        ++characters;
        bool space = code == '\t' || code == '\n' || code == '\r' || code == '\f' || code == '\v';
        if ((code < 0x20 && !space) || code == 0x7F || code == 0xFFFD) ++controls;
    }
    return static_cast<double>(controls) <= kMostControls * static_cast<double>(characters);
}

}  // namespace

std::optional<std::string> plainText(const std::string& path, std::size_t enough) {
    // Every code point takes four bytes at most, in any of these encodings.
    std::size_t wanted = enough * 4 + 4;
    auto read = fileStart(path, wanted + 1);
    if (!read) return std::nullopt;
    bool cut = read->size() > wanted;
    std::string_view bytes(*read);
    if (cut) bytes = bytes.substr(0, wanted);

    std::string text;
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    if (bytes.starts_with("\xFF\xFE")) {
        text = fromUtf16(bytes.substr(2), false);
    } else if (bytes.starts_with("\xFE\xFF")) {
        text = fromUtf16(bytes.substr(2), true);
    } else if (int side = nulSide(bytes); side != 0) {
        text = fromUtf16(bytes, side < 0);
    } else if (auto utf8 = validUtf8(bytes, cut)) {
        text = *utf8;
    } else {
        text = fromWindows1252(bytes);
    }
    if (!looksLikeText(text)) return std::nullopt;
    // A stray NUL in a text is nothing a reader sees.
    std::erase(text, '\0');
    return text;
}

}  // namespace nimbo::documents
