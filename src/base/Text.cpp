#include "base/Text.h"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace nimbo::Text {

std::string trimmed(const std::string& text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());

    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c = 0;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c = 0;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !u_isUWhiteSpace(c)) break;
        end = previous;
    }
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

std::string prefix(const std::string& text, std::size_t count) {
    if (text.size() <= count) return text;  // never more characters than bytes
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !clusters) {
        utext_close(utext);
        return text.substr(0, count);
    }
    clusters->setText(utext, status);
    int32_t end = clusters->first();
    for (std::size_t taken = 0; taken < count; ++taken) {
        int32_t next = clusters->next();
        if (next == icu::BreakIterator::DONE) break;
        end = next;
    }
    clusters.reset();
    utext_close(utext);
    return text.substr(0, static_cast<std::size_t>(end));
}

std::size_t characterCount(const std::string& text) {
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !clusters) {
        utext_close(utext);
        return text.size();
    }
    clusters->setText(utext, status);
    std::size_t count = 0;
    clusters->first();
    while (clusters->next() != icu::BreakIterator::DONE) ++count;
    clusters.reset();
    utext_close(utext);
    return count;
}

}  // namespace nimbo::Text
