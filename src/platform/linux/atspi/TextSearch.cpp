// The search for words over AT-SPI, which has no text search of its own:
// the elements that hold text are found with one collection query, their
// texts read at once and searched here. What is found is a run of
// characters (TextSpan) so that the words themselves, not the whole text
// holding them, are placed and scrolled to.
#include <atspi/atspi-constants.h>

#include <algorithm>

#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/Calls.h"

namespace nimbo::atspi {
namespace {

// Elements whose text is read for one search; a window of more is searched
// in its first ones, in reading order.
constexpr int kMostHolders = 2000;

// A text in the form searched: lower case, each run of anything but
// letters, marks and digits one space, so punctuation the user typed or left
// out does not matter; with each character's offset in the text it came from.
struct Folded {
    std::u32string chars;
    std::vector<int> offsets;
};

Folded fold(const std::string& text) {
    Folded out;
    int offset = 0;
    bool space = true;  // a leading break dropped
    for (const gchar* at = text.c_str(); *at != '\0'; at = g_utf8_next_char(at), ++offset) {
        gunichar c = g_utf8_get_char(at);
        if (!g_unichar_isalnum(c) && !g_unichar_ismark(c)) {
            if (!space) {
                out.chars.push_back(U' ');
                out.offsets.push_back(offset);
            }
            space = true;
            continue;
        }
        out.chars.push_back(static_cast<char32_t>(g_unichar_tolower(c)));
        out.offsets.push_back(offset);
        space = false;
    }
    if (!out.chars.empty() && out.chars.back() == U' ') {
        out.chars.pop_back();
        out.offsets.pop_back();
    }
    return out;
}

// Where the words are in a text, in characters; absent when they are not.
std::optional<std::pair<int, int>> place(const Folded& words, const std::string& text) {
    if (words.chars.empty()) return std::nullopt;
    Folded folded = fold(text);
    auto found = std::search(folded.chars.begin(), folded.chars.end(), words.chars.begin(), words.chars.end());
    if (found == folded.chars.end()) return std::nullopt;
    auto first = static_cast<size_t>(found - folded.chars.begin());
    auto last = first + words.chars.size() - 1;
    return std::pair{folded.offsets[first], folded.offsets[last] + 1};
}

std::string charactersOf(const std::string& text, int start, int end) {
    const gchar* from = g_utf8_offset_to_pointer(text.c_str(), start);
    const gchar* to = g_utf8_offset_to_pointer(text.c_str(), end);
    return std::string(from, to);
}

}  // namespace

std::optional<std::vector<platform::AXRef>> AtspiAccessibility::search(const platform::AXRef& root,
                                                                       const platform::AXSearch& query) {
    auto* own = dynamic_cast<Element*>(root.get());
    Folded words = fold(query.text);
    if (!own || words.chars.empty()) return std::nullopt;
    const Deadline deadline = deadlineIn(own->timeout);
    auto way = route(own->ref.bus, deadline);
    if (!way) return std::nullopt;

    static const std::vector<uint32_t> holders{
        ATSPI_ROLE_TEXT,    ATSPI_ROLE_PARAGRAPH,     ATSPI_ROLE_LABEL,      ATSPI_ROLE_STATIC,     ATSPI_ROLE_HEADING,
        ATSPI_ROLE_SECTION, ATSPI_ROLE_LIST_ITEM,     ATSPI_ROLE_TABLE_CELL, ATSPI_ROLE_LINK,       ATSPI_ROLE_ENTRY,
        ATSPI_ROLE_CAPTION, ATSPI_ROLE_DOCUMENT_TEXT, ATSPI_ROLE_ARTICLE,    ATSPI_ROLE_BLOCK_QUOTE};
    std::vector<int> states;
    if (query.visibleOnly) states.push_back(ATSPI_STATE_SHOWING);
    auto matched = send(
        *way, {matchesCall(own->ref.path, states, holders, kMostHolders, !query.immediateDescendantsOnly)}, deadline);
    // A toolkit without collection queries can't be searched this way.
    if (matched[0].kind != Reply::Kind::value) return std::nullopt;
    auto found = readRefs(matched[0]);
    std::erase_if(found, [&](const ObjectRef& ref) { return ref.bus != own->ref.bus; });
    if (found.empty()) return std::vector<platform::AXRef>{};

    std::vector<Call> reads;
    reads.reserve(found.size());
    for (const ObjectRef& ref : found) reads.push_back(on(ref.path, kText, "GetText", g_variant_new("(ii)", 0, -1)));
    auto texts = send(*way, std::move(reads), deadline);
    std::vector<platform::AXRef> spans;
    const size_t most = query.resultsLimit > 0 ? static_cast<size_t>(query.resultsLimit) : found.size();
    for (size_t i = 0; i < found.size() && spans.size() < most; ++i) {
        GVariant* body = bodyOf(texts[i], "(s)");
        if (!body) continue;
        const gchar* text = nullptr;
        g_variant_get(body, "(&s)", &text);
        auto at = place(words, text);
        if (!at) continue;
        spans.push_back(std::make_shared<TextSpan>(elementFor(found[i], own->timeout), at->first, at->second,
                                                   charactersOf(text, at->first, at->second)));
    }
    return spans;
}

std::optional<platform::AXValue> AtspiAccessibility::spanValue(const TextSpan& span, const std::string& name) {
    if (name == "AXRole") return std::string("AXStaticText");
    if (name == "AXValue") return span.words;
    if (name == "AXParent") return span.text;
    if (name == "AXChildren") return std::vector<platform::AXRef>{};
    if (name != "AXPosition" && name != "AXSize") return std::nullopt;
    auto* holder = dynamic_cast<Element*>(span.text.get());
    if (!holder) return std::nullopt;
    const Deadline deadline = deadlineIn(holder->timeout);
    auto way = route(holder->ref.bus, deadline);
    if (!way) return std::nullopt;
    auto replies = send(*way,
                        {on(holder->ref.path, kText, "GetRangeExtents",
                            g_variant_new("(iiu)", span.start, span.end, ATSPI_COORD_TYPE_SCREEN))},
                        deadline);
    // Four numbers, not the one rectangle GetExtents answers.
    GVariant* body = bodyOf(replies[0], "(iiii)");
    if (!body) return std::nullopt;
    gint32 x = 0, y = 0, width = 0, height = 0;
    g_variant_get(body, "(iiii)", &x, &y, &width, &height);
    if (name == "AXPosition") return Point{double(x), double(y)};
    return Size{double(width), double(height)};
}

}  // namespace nimbo::atspi
