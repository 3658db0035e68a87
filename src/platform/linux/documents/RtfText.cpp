// Rich Text Format read for its text alone: a control-word reader that keeps
// paragraphs, Unicode escapes and Windows-1252 bytes, and skips the groups
// that hold no text of the document (font and colour tables, styles, facts,
// pictures, field instructions and anything marked ignorable).
#include <glib.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/linux/documents/Readers.h"
#include "platform/linux/documents/TextSink.h"

namespace nimbo::documents {
namespace {

// An RTF file larger than this is read as its start.
constexpr std::size_t kLongestRtf = 32U << 20;
// Groups nested deeper than this are read as if at this depth.
constexpr std::size_t kDeepest = 1024;

constexpr std::array<std::string_view, 30> kSkipped{"fonttbl",
                                                    "colortbl",
                                                    "stylesheet",
                                                    "info",
                                                    "pict",
                                                    "object",
                                                    "themedata",
                                                    "datastore",
                                                    "latentstyles",
                                                    "listtable",
                                                    "listoverridetable",
                                                    "rsidtbl",
                                                    "generator",
                                                    "xmlnstbl",
                                                    "mmathPr",
                                                    "filetbl",
                                                    "revtbl",
                                                    "fldinst",
                                                    "header",
                                                    "headerl",
                                                    "headerr",
                                                    "headerf",
                                                    "footer",
                                                    "footerl",
                                                    "footerr",
                                                    "footerf",
                                                    "bkmkstart",
                                                    "bkmkend",
                                                    "nonshppict",
                                                    "shpinst"};

// Windows-1252's 0x80-0x9F; the rest of its upper half is Latin-1.
constexpr std::array<char16_t, 32> kWindows1252{0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                                0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2014, 0x2013,
                                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

struct Group {
    bool skipped = false;
    int uc = 1;  // characters standing in for each \u escape
};

class Reader {
public:
    Reader(std::string_view rtf, std::size_t enough) : rtf_(rtf), sink_(enough) {}

    void run() {
        while (at_ < rtf_.size() && !sink_.full()) {
            char c = rtf_[at_++];
            if (c == '{') {
                if (groups_.size() < kDeepest) groups_.push_back(groups_.back());
                toSkip_ = 0;
                groupStart_ = true;
                continue;
            }
            if (c == '}') {
                if (groups_.size() > 1) groups_.pop_back();
                toSkip_ = 0;
                groupStart_ = false;
                continue;
            }
            bool startOfGroup = std::exchange(groupStart_, false);
            if (c == '\\') {
                control(startOfGroup);
            } else if (c != '\r' && c != '\n') {
                byte(static_cast<unsigned char>(c));
            }
        }
    }

    std::string take() { return sink_.take(); }

private:
    Group& group() { return groups_.back(); }

    void control(bool startOfGroup) {
        if (at_ >= rtf_.size()) return;
        char c = rtf_[at_];
        if (!std::isalpha(static_cast<unsigned char>(c))) {
            ++at_;
            symbol(c);
            return;
        }
        size_t start = at_;
        while (at_ < rtf_.size() && std::isalpha(static_cast<unsigned char>(rtf_[at_]))) ++at_;
        std::string_view word = rtf_.substr(start, at_ - start);
        std::optional<long> parameter;
        if (at_ < rtf_.size() && (rtf_[at_] == '-' || std::isdigit(static_cast<unsigned char>(rtf_[at_])))) {
            bool negative = rtf_[at_] == '-';
            if (negative) ++at_;
            long value = 0;
            while (at_ < rtf_.size() && std::isdigit(static_cast<unsigned char>(rtf_[at_]))) {
                if (value < 10000000) value = value * 10 + (rtf_[at_] - '0');
                ++at_;
            }
            parameter = negative ? -value : value;
        }
        if (at_ < rtf_.size() && rtf_[at_] == ' ') ++at_;
        this->word(word, parameter, startOfGroup);
    }

    void symbol(char c) {
        switch (c) {
            case '\\':
            case '{':
            case '}':
                byte(static_cast<unsigned char>(c));
                break;
            case '~':
                emit(0xA0);
                break;
            case '_':
                emit(0x2011);
                break;
            case '\n':
            case '\r':
                paragraph();
                break;
            case '*':
                group().skipped = true;
                break;
            case '\'': {
                if (at_ + 2 > rtf_.size()) return;
                int high = g_ascii_xdigit_value(rtf_[at_]);
                int low = g_ascii_xdigit_value(rtf_[at_ + 1]);
                at_ += 2;
                if (high < 0 || low < 0) return;
                byte(static_cast<unsigned char>(high * 16 + low));
                break;
            }
            default:
                break;  // optional hyphens, formulas and the like show nothing
        }
    }

    void word(std::string_view word, std::optional<long> parameter, bool startOfGroup) {
        if (startOfGroup) {
            for (auto skipped : kSkipped) {
                if (word == skipped) {
                    group().skipped = true;
                    return;
                }
            }
        }
        if (word == "bin") {
            // Raw bytes follow; they are never text.
            at_ += static_cast<size_t>(std::clamp<long>(parameter.value_or(0), 0, long(rtf_.size() - at_)));
        } else if (word == "uc") {
            group().uc = static_cast<int>(std::clamp<long>(parameter.value_or(1), 0, 10));
        } else if (word == "u" && parameter) {
            unicode(static_cast<char32_t>(*parameter < 0 ? *parameter + 65536 : *parameter));
            toSkip_ = group().uc;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") {
            paragraph();
        } else if (word == "tab" || word == "cell") {
            emit('\t');
        } else if (word == "emdash") {
            emit(0x2014);
        } else if (word == "endash") {
            emit(0x2013);
        } else if (word == "lquote") {
            emit(0x2018);
        } else if (word == "rquote") {
            emit(0x2019);
        } else if (word == "ldblquote") {
            emit(0x201C);
        } else if (word == "rdblquote") {
            emit(0x201D);
        } else if (word == "bullet") {
            emit(0x2022);
        } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
            emit(' ');
        }
    }

    // A byte of text in the document's code page, unless it stands in for a \u escape.
    void byte(unsigned char c) {
        if (toSkip_ > 0) {
            --toSkip_;
            return;
        }
        // Windows-1252 differs from Latin-1 only in 0x80-0x9F.
        emit(c >= 0x80 && c < 0xA0 ? kWindows1252[c - 0x80] : c);
    }

    void unicode(char32_t code) {
        if (code >= 0xD800 && code <= 0xDBFF) {
            high_ = code;
            return;
        }
        if (code >= 0xDC00 && code <= 0xDFFF) {
            if (high_) emit(0x10000 + ((high_ - 0xD800) << 10) + (code - 0xDC00));
            high_ = 0;
            return;
        }
        emit(code);
    }

    void paragraph() {
        if (!group().skipped) sink_.add("\n");
    }

    void emit(char32_t code) {
        if (group().skipped || code == 0) return;
        std::array<char, 8> utf8{};
        int length = g_unichar_to_utf8(static_cast<gunichar>(code), utf8.data());
        sink_.add(std::string_view(utf8.data(), static_cast<size_t>(length)));
    }

    std::string_view rtf_;
    size_t at_ = 0;
    TextSink sink_;
    std::vector<Group> groups_{Group{}};
    int toSkip_ = 0;
    bool groupStart_ = false;
    char32_t high_ = 0;
};

}  // namespace

std::optional<std::string> rtfText(const std::string& path, std::size_t enough) {
    auto bytes = fileStart(path, kLongestRtf);
    if (!bytes) {
        // An RTFD bundle keeps its text beside its pictures.
        bytes = fileStart(path + "/TXT.rtf", kLongestRtf);
        if (!bytes) return std::nullopt;
    }
    if (!bytes->starts_with("{\\rtf")) return std::nullopt;
    Reader reader(*bytes, enough);
    reader.run();
    return reader.take();
}

}  // namespace nimbo::documents
