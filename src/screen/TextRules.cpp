#include "screen/TextRules.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "base/Text.h"

namespace nimbo::Elements {

namespace {

std::vector<UChar32> codePoints(const std::string& text) {
    auto unicode = icu::UnicodeString::fromUTF8(text);
    std::vector<UChar32> out;
    for (int32_t at = 0; at < unicode.length(); at = unicode.moveIndex32(at, 1)) out.push_back(unicode.char32At(at));
    return out;
}

bool isLetter(UChar32 c) {
    return (U_GET_GC_MASK(c) & U_GC_L_MASK) != 0;
}
bool isLetterOrNumber(UChar32 c) {
    return (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_N_MASK)) != 0;
}

std::vector<std::string> wordsOf(const std::string& normalised) {
    std::vector<std::string> words;
    std::istringstream in(normalised);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}
bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "Very long docu…pdf" against the whole name: the parts around the mark
// begin and end the other text.
bool matchesAroundMark(const std::string& marked, const std::string& otherNormalised, const std::string& mark) {
    if (marked.find(mark) == std::string::npos) return false;
    std::vector<std::string> parts;
    for (size_t from = 0;;) {
        size_t at = marked.find(mark, from);
        auto part = norm(marked.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (!part.empty()) parts.push_back(part);
        if (at == std::string::npos) break;
        from = at + mark.size();
    }
    return parts.size() == 2 && startsWith(otherNormalised, parts[0]) && endsWith(otherNormalised, parts[1]);
}

}  // namespace

std::string norm(const std::string& text) {
    auto lowered = icu::UnicodeString::fromUTF8(text);
    lowered.toLower(icu::Locale::getRoot());
    std::string spaced;
    lowered.toUTF8String(spaced);
    std::string kept;
    for (UChar32 c : codePoints(spaced)) {
        bool keep = (U_GET_GC_MASK(c) & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
        icu::UnicodeString(keep ? c : UChar32{' '}).toUTF8String(kept);
    }
    std::string out;
    for (const auto& word : wordsOf(kept)) out += (out.empty() ? "" : " ") + word;
    return out;
}

bool same(const std::string& name, const std::string& line) {
    auto a = norm(name);
    auto b = norm(line);
    if (a.empty() || b.empty()) return false;
    if (a == b || a.find(b) != std::string::npos || b.find(a) != std::string::npos) return true;
    for (const std::string mark : {"…", "..."}) {
        if (name.find(mark) != std::string::npos) {
            if (matchesAroundMark(name, b, mark)) return true;
        } else if (line.find(mark) != std::string::npos && matchesAroundMark(line, a, mark)) {
            return true;
        }
    }
    auto wordsA = wordsOf(a);
    auto wordsB = wordsOf(b);
    std::set<std::string> setA(wordsA.begin(), wordsA.end());
    std::set<std::string> setB(wordsB.begin(), wordsB.end());
    std::set<std::string> all = setA;
    all.insert(setB.begin(), setB.end());
    auto shared = std::count_if(setA.begin(), setA.end(), [&](const std::string& w) { return setB.contains(w); });
    return static_cast<double>(shared) / static_cast<double>(all.size()) >= 0.5;
}

bool looksMisread(const std::string& text) {
    std::vector<UChar32> chars;
    for (UChar32 c : codePoints(text)) {
        if (!u_isUWhiteSpace(c)) chars.push_back(c);
    }
    if (chars.empty()) return true;
    auto letterOrDigit = std::count_if(chars.begin(), chars.end(), isLetterOrNumber);
    if (static_cast<double>(letterOrDigit) < 0.6 * static_cast<double>(chars.size())) return true;
    static const std::u32string noise = U",'`\"•()[]{}<>/|~^*@";
    auto noisy = std::count_if(chars.begin(), chars.end(),
                               [](UChar32 c) { return noise.find(static_cast<char32_t>(c)) != std::u32string::npos; });
    if (noisy >= 3) return true;
    if (std::none_of(chars.begin(), chars.end(), isLetter)) return false;
    static const std::u32string thin = U"iIlLjJfr|!";
    return std::all_of(chars.begin(), chars.end(), [](UChar32 c) {
        return !isLetter(c) || thin.find(static_cast<char32_t>(c)) != std::u32string::npos;
    });
}

std::optional<std::string> wordsFromPath(const std::string& path) {
    static const std::regex separators("[-_.]+");
    static const std::regex filler("\\b(btn|button|icon|link|nav|svg)\\b", std::regex::icase);
    static const std::regex spaces(" +");
    static const std::regex noise("[0-9a-f]{8,}|\\d{4,}");

    std::string last;
    std::istringstream in(path);
    for (std::string part; std::getline(in, part, '/');) {
        if (!part.empty()) last = part;
    }
    auto words = std::regex_replace(last, separators, " ");
    words = std::regex_replace(words, filler, "");
    words = std::regex_replace(words, spaces, " ");
    auto first = words.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    words = words.substr(first, words.find_last_not_of(' ') - first + 1);

    auto chars = codePoints(words);
    if (chars.size() < 3 || chars.size() > 40) return std::nullopt;
    if (std::none_of(chars.begin(), chars.end(), isLetter)) return std::nullopt;
    if (std::regex_search(words, noise)) return std::nullopt;
    std::string out;
    icu::UnicodeString(u_toupper(chars.front())).toUTF8String(out);
    for (size_t i = 1; i < chars.size(); ++i) icu::UnicodeString(chars[i]).toUTF8String(out);
    return out;
}

}  // namespace nimbo::Elements
