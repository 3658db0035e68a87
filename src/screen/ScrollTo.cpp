#include "screen/ScrollTo.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <deque>
#include <sstream>

#include "base/Text.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"

namespace nimbo::ScrollTo {
namespace {

// Each request to the application in front gives up after this long.
constexpr double kMessagingTimeout = 0.6;
constexpr double kWalkSeconds = 1.2;
constexpr size_t kWalkElements = 20000;
constexpr size_t kWebAreaElements = 400;
constexpr int kWebAreaDepth = 11;
constexpr int kSearchResults = 4;
constexpr size_t kLeastWant = 3;
constexpr size_t kLeastHeadWords = 3;
constexpr size_t kShortWords = 5;
constexpr int kClimbToArea = 30;

platform::Platform& desktop() {
    return *Elements::detail::desktop();
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    auto unicode = icu::UnicodeString::fromUTF8(text);
    for (int32_t at = 0; at < unicode.length(); at = unicode.moveIndex32(at, 1)) {
        UChar32 c = unicode.char32At(at);
        if (u_isUWhiteSpace(c)) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
        } else {
            icu::UnicodeString(c).toUTF8String(word);
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string joined(const std::vector<std::string>& words, size_t most = std::string::npos) {
    std::string out;
    for (size_t i = 0; i < words.size() && i < most; ++i) out += (i ? " " : "") + words[i];
    return out;
}

// The phrase up to its first punctuation: letters, digits, spaces and apostrophes.
std::string headOf(const std::string& phrase) {
    auto unicode = icu::UnicodeString::fromUTF8(phrase);
    std::string head;
    for (int32_t at = 0; at < unicode.length(); at = unicode.moveIndex32(at, 1)) {
        UChar32 c = unicode.char32At(at);
        bool kept = (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0 || c == ' ' || c == '\'';
        if (!kept) break;
        icu::UnicodeString(c).toUTF8String(head);
    }
    return joined(wordsOf(head));
}

bool holds(const std::optional<std::string>& text, const std::string& want) {
    return text && norm(*text).find(want) != std::string::npos;
}

platform::AXRef find(const std::string& phrase, const std::string& want, const platform::AXRef& window) {
    if (auto found = searched(phrase, window, want)) return found;
    auto head = headOf(phrase);
    if (head != phrase && wordsOf(head).size() >= kLeastHeadWords) {
        if (auto found = searched(head, window, norm(head))) return found;
    }
    if (auto found = walked(want, window)) return found;
    auto shortWant = joined(wordsOf(want), kShortWords);
    if (shortWant != want && Text::characterCount(shortWant) >= kLeastWant) return walked(shortWant, window);
    return nullptr;
}

}  // namespace

std::optional<std::string> textOf(const platform::AXRef& element) {
    for (const char* name : {"AXValue", "AXTitle", "AXDescription"}) {
        auto value = desktop().accessibility().copy(element, name);
        if (auto text = value ? Elements::str(*value) : std::nullopt) return text;
    }
    return std::nullopt;
}

std::vector<platform::AXRef> kids(const platform::AXRef& element) {
    return AutoScroll::children(element);
}

platform::AXRef webArea(const platform::AXRef& window) {
    std::deque<std::pair<platform::AXRef, int>> waiting{{window, 0}};
    for (size_t visited = 0; !waiting.empty() && visited < kWebAreaElements; ++visited) {
        auto [element, depth] = waiting.front();
        waiting.pop_front();
        if (AutoScroll::role(element) == "AXWebArea") return element;
        if (depth > kWebAreaDepth) continue;
        for (auto& child : kids(element)) waiting.emplace_back(std::move(child), depth + 1);
    }
    return nullptr;
}

// Where a window holds no web content, the search is asked of the window
// itself: backends that search native text answer there, the others fail
// and the walk takes over.
platform::AXRef searched(const std::string& phrase, const platform::AXRef& window, const std::string& want) {
    auto root = webArea(window);
    platform::AXSearch query;
    query.text = phrase;
    query.resultsLimit = kSearchResults;
    auto results = desktop().accessibility().search(root ? root : window, query);
    if (!results || results->empty()) return nullptr;
    platform::AXRef best;
    size_t shortest = 0;
    for (const auto& result : *results) {
        auto text = textOf(result);
        if (!holds(text, want)) continue;
        auto length = norm(*text).size();
        if (!best || length < shortest) {
            best = result;
            shortest = length;
        }
    }
    return best ? best : results->front();
}

platform::AXRef walked(const std::string& want, const platform::AXRef& window) {
    auto& clock = desktop().clock();
    const double start = clock.now();
    std::deque<platform::AXRef> waiting{window};
    platform::AXRef best;
    size_t shortest = 0;
    for (size_t visited = 0; !waiting.empty() && visited < kWalkElements; ++visited) {
        if (clock.now() - start >= kWalkSeconds) break;
        auto element = waiting.front();
        waiting.pop_front();
        if (auto text = textOf(element); holds(text, want)) {
            auto length = norm(*text).size();
            if (!best || length < shortest) {
                best = element;
                shortest = length;
            }
        }
        for (auto& child : kids(element)) waiting.push_back(std::move(child));
    }
    return best;
}

AutoScroll::Result viaScrollBar(const platform::AXRef& element) {
    auto& ax = desktop().accessibility();
    auto target = Elements::frameOf(element);
    if (!target) return AutoScroll::failed("the words have no place to scroll to");
    platform::AXRef area;
    auto current = element;
    for (int step = 0; step < kClimbToArea && !area; ++step) {
        auto parent = ax.copy(current, "AXParent");
        const auto* up = parent ? std::get_if<platform::AXRef>(&*parent) : nullptr;
        if (!up || !*up) break;
        current = *up;
        if (AutoScroll::role(current) == "AXScrollArea") area = current;
    }
    if (!area) return AutoScroll::failed(AutoScroll::kNoScrollBar);
    auto shown = Elements::frameOf(area);
    auto barValue = ax.copy(area, "AXVerticalScrollBar");
    const auto* bar = barValue ? std::get_if<platform::AXRef>(&*barValue) : nullptr;
    if (!shown || !bar || !*bar) return AutoScroll::failed(AutoScroll::kNoScrollBar);
    const bool settable = ax.isSettable(*bar, "AXValue");
    std::optional<Rect> content;
    for (const auto& child : kids(area)) {
        if (AutoScroll::role(child) == "AXScrollBar") continue;
        auto frame = Elements::frameOf(child);
        if (frame && (!content || frame->size.height > content->size.height)) content = frame;
    }
    if (!content || !settable || content->size.height <= shown->size.height + 1) {
        return AutoScroll::failed(AutoScroll::kBarNotMovable);
    }
    // The words' top lands a third of the way down what the area shows.
    double value =
        ((target->minY() - content->minY()) - shown->size.height / 3) / (content->size.height - shown->size.height);
    return AutoScroll::moved(ax.setAttribute(*bar, "AXValue", std::clamp(value, 0.0, 1.0)));
}

AutoScroll::Result text(const std::string& words) {
    const auto phrase = joined(wordsOf(words));
    const auto want = norm(phrase);
    if (Text::characterCount(want) < kLeastWant) return AutoScroll::failed("nothing to look for");
    auto front = AutoScroll::otherFront();
    if (!front) return AutoScroll::failed(AutoScroll::kNoOtherApp);
    auto& ax = desktop().accessibility();
    auto app = ax.application(front->pid);
    if (app) ax.setMessagingTimeout(app, kMessagingTimeout);
    auto window = app ? AutoScroll::frontWindow(app) : nullptr;
    if (!window) return AutoScroll::failed("no window in front");
    auto found = find(phrase, want, window);
    if (!found) return AutoScroll::failed("couldn't find those words on the page");
    if (ax.performAction(found, "AXScrollToVisible") == platform::AXError::success) return {true, std::nullopt};
    return viaScrollBar(found);
}

}  // namespace nimbo::ScrollTo
