#include <atomic>
#include <map>
#include <mutex>

#include "base/Text.h"
#include "base/Url.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Rects.h"

namespace nimbo::Elements {

namespace {

constexpr size_t kCachedApps = 64;
constexpr double kMessagingTimeout = 0.5;
constexpr size_t kLongestText = 160;

std::atomic<platform::Platform*> attached{nullptr};

std::mutex appsLock;
std::map<int, platform::AXRef>& apps() {
    static std::map<int, platform::AXRef> cache;
    return cache;
}

}  // namespace

namespace detail {

platform::Platform* desktop() {
    return attached.load();
}

std::optional<int> frontPid(platform::Platform& desktop) {
    auto front = desktop.application().frontApplication();
    if (!front) return std::nullopt;
    return front->pid;
}

std::optional<std::vector<platform::AXValue>> batch(const platform::AXRef& element,
                                                    const std::vector<std::string>& names) {
    auto* platform = desktop();
    if (!platform || !element) return std::nullopt;
    auto values = platform->accessibility().copyMultiple(element, names);
    if (!values || values->size() != names.size()) return std::nullopt;
    return values;
}

std::optional<Rect> frame(const platform::AXValue& position, const platform::AXValue& size) {
    const auto* at = std::get_if<Point>(&position);
    const auto* extent = std::get_if<Size>(&size);
    if (!at || !extent) return std::nullopt;
    return Rect{*at, *extent};
}

void forgetApps() {
    std::lock_guard lock(appsLock);
    apps().clear();
}

}  // namespace detail

void attach(platform::Platform& platform) {
    attached.store(&platform);
    detail::forgetApps();
    detail::forgetEarly();
    detail::forgetTargets();
    detail::forgetMenus();
}

void detach(const platform::Platform& platform) {
    auto* expected = const_cast<platform::Platform*>(&platform);
    attached.compare_exchange_strong(expected, nullptr);
}

platform::AXRef axApp(int pid) {
    auto* platform = detail::desktop();
    if (!platform) return nullptr;
    std::lock_guard lock(appsLock);
    auto& cache = apps();
    if (auto found = cache.find(pid); found != cache.end()) return found->second;
    if (cache.size() >= kCachedApps) cache.clear();
    auto element = platform->accessibility().application(pid);
    if (!element) return nullptr;
    // Every later request to this application gives up after this long, so a
    // hung one costs a walk its budget, never the shell.
    platform->accessibility().setMessagingTimeout(element, kMessagingTimeout);
    cache[pid] = element;
    return element;
}

std::vector<platform::AXValue> many(const platform::AXRef& element, const std::vector<std::string>& names) {
    auto values = detail::batch(element, names);
    if (!values) return std::vector<platform::AXValue>(names.size());
    return *values;
}

std::vector<platform::AXRef> children(const platform::AXValue& value) {
    std::vector<platform::AXRef> out;
    if (const auto* list = std::get_if<std::vector<platform::AXRef>>(&value)) {
        for (const auto& element : *list) {
            if (element) out.push_back(element);
        }
    }
    return out;
}

std::optional<std::string> str(const platform::AXValue& value) {
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return std::nullopt;
    auto trimmed = Text::trimmed(*text);
    if (trimmed.empty()) return std::nullopt;
    return Text::prefix(trimmed, kLongestText);
}

std::optional<Rect> frameOf(const platform::AXRef& element) {
    auto* platform = detail::desktop();
    if (!platform || !element) return std::nullopt;
    auto position = platform->accessibility().copy(element, "AXPosition");
    if (!position) return std::nullopt;
    auto size = platform->accessibility().copy(element, "AXSize");
    if (!size) return std::nullopt;
    return detail::frame(*position, *size);
}

std::vector<std::pair<platform::AXRef, Rect>> axWindows(int pid) {
    std::vector<std::pair<platform::AXRef, Rect>> out;
    auto* platform = detail::desktop();
    auto app = axApp(pid);
    if (!platform || !app) return out;
    auto windows = platform->accessibility().copy(app, "AXWindows");
    if (!windows) return out;
    for (const auto& window : children(*windows)) {
        if (auto frame = frameOf(window)) out.emplace_back(window, *frame);
    }
    return out;
}

std::optional<int> windowOwner(Point point) {
    auto* platform = detail::desktop();
    if (!platform) return std::nullopt;
    auto list = platform->windowList().onScreen();
    if (!list) return std::nullopt;
    int self = platform->application().processId();
    for (const auto& window : *list) {
        if (window.ownerPid == self || (window.alpha && *window.alpha <= 0) || !window.bounds) continue;
        if (Rects::contains(*window.bounds, point)) return window.ownerPid;
    }
    return std::nullopt;
}

std::optional<std::string> frontDocument() {
    auto* platform = detail::desktop();
    if (!platform) return std::nullopt;
    auto front = detail::frontPid(*platform);
    if (!front || *front == platform->application().processId()) return std::nullopt;
    auto app = axApp(*front);
    if (!app) return std::nullopt;
    auto& ax = platform->accessibility();
    auto focused = ax.copy(app, "AXFocusedWindow");
    const auto* window = focused ? std::get_if<platform::AXRef>(&*focused) : nullptr;
    if (!window || !*window) return std::nullopt;
    auto document = ax.copy(*window, "AXDocument");
    if (!document) return std::nullopt;
    std::string text;
    if (const auto* url = std::get_if<platform::AXUrl>(&*document)) {
        text = url->address;
    } else if (const auto* plain = std::get_if<std::string>(&*document)) {
        text = *plain;
    } else {
        return std::nullopt;
    }
    auto parsed = Url::parse(text);
    if (!parsed || (parsed->scheme() != "http" && parsed->scheme() != "https")) return std::nullopt;
    return text;
}

void touch() {
    auto* platform = detail::desktop();
    if (!platform) return;
    platform->queues().async(platform::Priority::userInitiated, [platform] {
        auto front = detail::frontPid(*platform);
        if (!front || *front == platform->application().processId()) return;
        auto app = axApp(*front);
        if (!app) return;
        auto& ax = platform->accessibility();
        auto windows = ax.copy(app, "AXWindows");
        if (!windows) return;
        auto list = children(*windows);
        for (size_t i = 0; i < list.size() && i < 2; ++i) ax.copy(list[i], "AXChildren");
    });
}

}  // namespace nimbo::Elements
