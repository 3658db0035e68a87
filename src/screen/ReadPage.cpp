#include "screen/ReadPage.h"

#include <array>
#include <deque>
#include <mutex>

#include "base/Log.h"
#include "base/Text.h"
#include "base/Url.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"

namespace nimbo::ReadPage {
namespace {

// Accessibility gathering stops past any of these.
constexpr int kMostElements = 30000;
constexpr double kGatherSeconds = 2.0;
// The web area is looked for among this many elements at most.
constexpr int kWebAreaSearch = 4000;
// A file with less text than this may be a window's label: its window is read too.
constexpr std::size_t kShortFile = 200;
// Less than this is nothing worth answering with.
constexpr std::size_t kReadable = 40;
// A reading done ahead is good for this long.
constexpr double kAheadFresh = 30.0;
// A hung application costs a read ahead no more than this per request.
constexpr double kAheadTimeout = 0.3;
// A file reader may stop past this many code points: enough for the cut and
// to know that it cut, however the characters are composed.
constexpr std::size_t kEnoughOfAFile = 2 * kLongestText;

constexpr std::array kTextKinds{"docx", "doc", "rtf", "rtfd", "odt", "html", "htm", "txt", "md", "markdown", "text"};

struct Ahead {
    double at = 0;
    int pid = 0;
    std::optional<std::string> doc;
    Json result;
};

std::mutex aheadLock;
std::optional<Ahead>& ahead() {
    static std::optional<Ahead> kept;
    return kept;
}

Json failure(const std::string& why, const std::optional<std::string>& app) {
    Json out = Json::object();
    out["ok"] = false;
    out["why"] = why;
    if (app) out["app"] = *app;
    return out;
}

Json success(const std::string& text, std::size_t count, long long ms, const std::string& app) {
    Json out = Json::object();
    out["ok"] = true;
    out["text"] = Text::prefix(text, kLongestText);
    out["screens"] = 1;
    out["ms"] = ms;
    out["app"] = app;
    out["scrolled"] = false;
    out["restored"] = true;
    out["croppedToWindow"] = true;
    out["truncated"] = count > kLongestText;
    return out;
}

long long millisecondsSince(platform::Platform& desktop, double start) {
    return static_cast<long long>((desktop.clock().now() - start) * 1000);
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return text;
}

std::string lastComponent(const std::string& path) {
    auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The lower-cased extension of a path's last component; empty when it has none.
std::string extension(const std::string& path) {
    auto name = lastComponent(path);
    auto dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0) return {};
    return lowered(name.substr(dot + 1));
}

// The local path a file address names.
std::optional<std::string> localPath(const std::string& url) {
    auto parsed = Url::parse(url);
    if (!parsed || !parsed->isFile()) return std::nullopt;
    auto path = parsed->decodedPath();
    if (!path || path->empty() || path->front() != '/') return std::nullopt;
    return path;
}

std::optional<std::string> pdfText(platform::Platform& desktop, const std::string& path) {
    auto pdf = desktop.documents().openPdf(path);
    if (!pdf) return std::nullopt;
    std::string text;
    std::size_t count = 0;
    for (int page = 0, pages = pdf->pageCount(); page < pages; ++page) {
        auto read = pdf->pageText(page);
        if (!read) continue;
        std::string piece = "\n[page " + std::to_string(page + 1) + "]\n" + *read;
        count += Text::characterCount(piece);
        text += piece;
        if (count > kLongestText) break;
    }
    return text;
}

platform::AXRef focusedWindow(platform::Accessibility& ax, const platform::AXRef& app) {
    if (!app) return nullptr;
    auto focused = ax.copy(app, "AXFocusedWindow");
    const auto* window = focused ? std::get_if<platform::AXRef>(&*focused) : nullptr;
    return window ? *window : nullptr;
}

std::optional<std::string> role(const platform::AXValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return std::nullopt;
    return *text;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string out;
    for (const auto& text : texts) {
        if (!out.empty()) out += '\n';
        out += text;
    }
    return out;
}

}  // namespace

std::optional<std::string> documentURL(const platform::AXRef& window) {
    auto* desktop = Elements::detail::desktop();
    if (!desktop || !window) return std::nullopt;
    auto document = desktop->accessibility().copy(window, "AXDocument");
    if (!document) return std::nullopt;
    if (const auto* url = std::get_if<platform::AXUrl>(&*document)) return url->address;
    if (const auto* text = std::get_if<std::string>(&*document)) {
        if (auto parsed = Url::parse(*text)) return parsed->text();
    }
    return std::nullopt;
}

std::optional<std::string> file(const std::string& url) {
    auto* desktop = Elements::detail::desktop();
    auto path = localPath(url);
    if (!desktop || !path) return std::nullopt;
    auto kind = extension(*path);
    if (kind == "pdf") return pdfText(*desktop, *path);
    for (const char* listed : kTextKinds) {
        if (kind == listed) return desktop->documents().text(*path, kind, kEnoughOfAFile);
    }
    return std::nullopt;
}

platform::AXRef webArea(const platform::AXRef& window) {
    auto* desktop = Elements::detail::desktop();
    if (!desktop || !window) return nullptr;
    auto& ax = desktop->accessibility();
    auto first = ax.copy(window, "AXChildren");
    if (!first) return nullptr;
    auto listed = Elements::children(*first);
    std::deque<platform::AXRef> waiting(listed.begin(), listed.end());
    for (int visited = 0; !waiting.empty() && visited < kWebAreaSearch; ++visited) {
        auto element = waiting.front();
        waiting.pop_front();
        auto values = Elements::many(element, {"AXRole", "AXChildren"});
        if (role(values[0]) == "AXWebArea") return element;
        for (const auto& child : Elements::children(values[1])) waiting.push_back(child);
    }
    return nullptr;
}

void collect(const platform::AXRef& element, std::vector<std::string>& texts, std::size_t& size, int& count,
             double start) {
    auto* desktop = Elements::detail::desktop();
    if (!desktop || !element) return;
    auto& clock = desktop->clock();
    // Depth first with a stack of its own: a deep tree must not take the thread's.
    std::vector<platform::AXRef> waiting{element};
    while (!waiting.empty()) {
        auto next = std::move(waiting.back());
        waiting.pop_back();
        ++count;
        if (count > kMostElements || size > kLongestText || clock.now() - start > kGatherSeconds) return;
        auto values = Elements::many(next, {"AXRole", "AXValue", "AXChildren"});
        auto kind = role(values[0]).value_or("");
        bool field = kind == "AXTextArea" || kind == "AXTextField";
        if (field || kind == "AXStaticText") {
            const auto* text = std::get_if<std::string>(&values[1]);
            // Neighbours saying the same thing (a label and its echo) are gathered once.
            if (text && !Text::trimmed(*text).empty() && (texts.empty() || texts.back() != *text)) {
                texts.push_back(*text);
                size += Text::characterCount(*text) + 1;
            }
        }
        // A field's contents are its value.
        if (field) continue;
        auto children = Elements::children(values[2]);
        for (auto child = children.rbegin(); child != children.rend(); ++child) waiting.push_back(*child);
    }
}

Json read() {
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return failure("nothing is in front to read", std::nullopt);
    double start = desktop->clock().now();
    auto front = desktop->application().frontApplication();
    if (!front || front->pid == desktop->application().processId()) {
        return failure("nothing is in front to read", std::nullopt);
    }
    std::string app = front->name.empty() ? "the app" : front->name;
    auto& ax = desktop->accessibility();
    auto window = focusedWindow(ax, ax.application(front->pid));
    if (!window) return failure("couldn't find " + app + "'s window", app);
    auto doc = documentURL(window);

    {
        std::lock_guard lock(aheadLock);
        const auto& kept = ahead();
        if (kept && kept->pid == front->pid && kept->doc == doc && desktop->clock().now() - kept->at < kAheadFresh) {
            return kept->result;
        }
    }

    std::optional<std::string> text;
    std::string source;
    if (doc && localPath(*doc)) {
        text = file(*doc);
        source = "file " + extension(*localPath(*doc));
    }
    std::size_t fileCount = text ? Text::characterCount(*text) : 0;
    if (fileCount < kShortFile) {
        auto area = webArea(window);
        std::vector<std::string> texts;
        std::size_t size = 0;
        int count = 0;
        collect(area ? area : window, texts, size, count, start);
        auto gathered = joined(texts);
        if (!text || Text::characterCount(gathered) > fileCount) {
            text = std::move(gathered);
            source = area ? "web page" : "window text";
        }
    }

    auto ms = millisecondsSince(*desktop, start);
    auto trimmed = text ? Text::trimmed(*text) : std::string();
    auto count = Text::characterCount(trimmed);
    if (count < kReadable) {
        Log::line("nimbo: read page — nothing readable in " + app + " (" + std::to_string(ms) + "ms)");
        return failure("I can only see what's on screen in " + app, app);
    }
    Log::line("nimbo: read page — " + std::to_string(count) + " chars from " + app + " (" + source + ", " +
              std::to_string(ms) + "ms)" + (count > kLongestText ? ", truncated" : ""));
    return success(trimmed, count, ms, app);
}

MaybeJson prefetch() {
    {
        std::lock_guard lock(aheadLock);
        ahead().reset();
    }
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return std::nullopt;
    double start = desktop->clock().now();
    auto front = desktop->application().frontApplication();
    if (!front || front->pid == desktop->application().processId()) return std::nullopt;
    auto& ax = desktop->accessibility();
    auto app = ax.application(front->pid);
    if (!app) return std::nullopt;
    ax.setMessagingTimeout(app, kAheadTimeout);
    auto doc = documentURL(focusedWindow(ax, app));
    auto path = doc ? localPath(*doc) : std::nullopt;
    if (!path) return std::nullopt;
    auto text = file(*doc);
    if (!text) return std::nullopt;
    auto trimmed = Text::trimmed(*text);
    auto count = Text::characterCount(trimmed);
    if (count < kShortFile) return std::nullopt;

    auto ms = millisecondsSince(*desktop, start);
    auto result = success(trimmed, count, ms, front->name.empty() ? "the app" : front->name);
    {
        std::lock_guard lock(aheadLock);
        ahead() = Ahead{desktop->clock().now(), front->pid, doc, result};
    }
    Log::line("nimbo: read ahead — " + std::to_string(count) + " chars of " + lastComponent(*path) + " in " +
              std::to_string(ms) + "ms");
    return result;
}

void forget() {
    std::lock_guard lock(aheadLock);
    ahead().reset();
}

}  // namespace nimbo::ReadPage
