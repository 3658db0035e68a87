#include <fmt/format.h>

#include "base/Log.h"
#include "base/Url.h"
#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Rects.h"
#include "screen/Roles.h"
#include "screen/TextRules.h"

namespace nimbo::Elements {

namespace {

constexpr int kMostNodes = 4000;
constexpr int kDeepest = 60;

// Read in one request per element; the indexes below follow this order.
const std::vector<std::string> kAttributes = {
    "AXRole",     "AXSubrole", "AXTitle",     "AXDescription", "AXValue",           "AXPlaceholderValue",
    "AXPosition", "AXSize",    "AXChildren",  "AXVisibleRows", "AXVisibleChildren", "AXContents",
    "AXHelp",     "AXURL",     "AXIdentifier"};
enum Attribute {
    kRole,
    kSubrole,
    kTitle,
    kDescription,
    kValue,
    kPlaceholder,
    kPosition,
    kSize,
    kChildren,
    kVisibleRows,
    kVisibleChildren,
    kContents,
    kHelp,
    kUrl,
    kIdentifier
};

struct Entry {
    platform::AXRef element;
    int depth = 0;
    // Absent once a scrolled region has nothing left in view.
    std::optional<Rect> clip;
};

// The label of a control: what it says, else for something clickable what its
// help, link or identifier suggests, else what kind of icon it is.
std::optional<std::string> nameOf(const std::string& role, const std::vector<platform::AXValue>& values) {
    for (auto index : {kTitle, kDescription, kValue, kPlaceholder}) {
        if (auto name = str(values[index])) return name;
    }
    if (!clickable(role)) return std::nullopt;
    if (auto help = str(values[kHelp])) return help;
    if (const auto* url = std::get_if<platform::AXUrl>(&values[kUrl])) {
        if (auto parsed = Url::parse(url->address)) {
            if (auto words = wordsFromPath(parsed->path())) return words;
        }
    }
    if (const auto* identifier = std::get_if<std::string>(&values[kIdentifier])) {
        if (auto words = wordsFromPath(*identifier)) return words;
    }
    return role == "AXLink" ? "icon link" : "icon button";
}

std::vector<platform::AXRef> childrenOf(const std::string& role, const std::vector<platform::AXValue>& values) {
    std::vector<platform::AXRef> found;
    if (listLike(role)) {
        found = children(values[kVisibleRows]);
        if (found.empty()) found = children(values[kVisibleChildren]);
    }
    if (found.empty()) found = children(values[kChildren]);
    if (found.empty()) found = children(values[kContents]);
    return found;
}

}  // namespace

std::vector<Node> walk(const platform::AXRef& root, const Rect& clip, double budget) {
    std::vector<Node> out;
    auto* platform = detail::desktop();
    if (!platform || !root) return out;
    auto& clock = platform->clock();
    const double start = clock.now();
    const double quarterArea = Rects::area(clip) / 4;

    std::vector<Entry> stack{{root, 0, clip}};
    // Pages are walked after the application's own controls, so a page can't
    // spend the budget before those are listed.
    std::vector<Entry> deferred;
    bool inside = false;
    int taken = 0;
    for (;;) {
        if (stack.empty()) {
            if (deferred.empty()) return out;
            stack.assign(deferred.rbegin(), deferred.rend());
            deferred.clear();
            inside = true;
        }
        Entry entry = std::move(stack.back());
        stack.pop_back();
        ++taken;
        double elapsed = clock.now() - start;
        if (taken > kMostNodes || elapsed > budget) {
            Log::line(fmt::format("nimbo: walk hit its budget after {} nodes in {}ms — {} branches unwalked{}", taken,
                                  static_cast<long long>(elapsed * 1000), stack.size() + deferred.size(),
                                  inside ? " (inside the page)" : " (before the page)"));
            return out;
        }

        auto values = detail::batch(entry.element, kAttributes);
        if (!values) continue;
        std::string role = str((*values)[kRole]).value_or("?");
        if (!inside && role == "AXWebArea") {
            deferred.push_back(std::move(entry));
            continue;
        }

        auto childClip = entry.clip;
        if (auto frame = detail::frame((*values)[kPosition], (*values)[kSize])) {
            if (Rects::positive(*frame) && !(entry.clip && Rects::intersects(*frame, *entry.clip))) continue;
            if (!container(role) && frame->size.width >= 2 && frame->size.height >= 2 &&
                Rects::area(*frame) <= quarterArea) {
                if (auto name = nameOf(role, *values)) {
                    out.push_back({role, str((*values)[kSubrole]), *name, *frame, entry.element, *frame});
                }
            }
            if (role == "AXScrollArea" || role == "AXWebArea") {
                childClip = entry.clip ? Rects::intersection(*entry.clip, *frame) : std::nullopt;
            }
        }

        if (entry.depth >= kDeepest) continue;
        auto found = childrenOf(role, *values);
        for (auto child = found.rbegin(); child != found.rend(); ++child) {
            stack.push_back({*child, entry.depth + 1, childClip});
        }
    }
}

}  // namespace nimbo::Elements
