#include "base/Text.h"

#include <algorithm>
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

namespace {

struct Clusters {
    std::size_t taken = 0;    // grapheme clusters walked
    std::size_t endByte = 0;  // where the last of them ends
};

// Walks at most `limit` grapheme clusters from the start of a UTF-8 text.
// Without ICU's break iterator every byte counts as one.
Clusters walkClusters(const std::string& text, std::size_t limit) {
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> clusters(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    Clusters walked;
    if (U_SUCCESS(status) && clusters) {
        clusters->setText(utext, status);
        clusters->first();
        for (int32_t next = 0; walked.taken < limit && (next = clusters->next()) != icu::BreakIterator::DONE;) {
            ++walked.taken;
            walked.endByte = static_cast<std::size_t>(next);
        }
    } else {
        walked.taken = walked.endByte = std::min(limit, text.size());
    }
    clusters.reset();
    utext_close(utext);
    return walked;
}

}  // namespace

std::string prefix(const std::string& text, std::size_t count) {
    if (text.size() <= count) return text;  // never more characters than bytes
    return text.substr(0, walkClusters(text, count).endByte);
}

std::size_t characterCount(const std::string& text) {
    return walkClusters(text, text.size()).taken;
}

}  // namespace nimbo::Text
