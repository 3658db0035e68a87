// Judging a proposal before it may be held: every kind has what it needs, in
// bounds, or the page hears why not.
#include <cmath>
#include <limits>
#include <regex>

#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "actions/HeldOffer.h"
#include "base/Text.h"
#include "base/Url.h"
#include "bridge/Payload.h"

namespace nimbo::Actions {
namespace {

// Shown as the detail of an offer that asks Claude on the web.
constexpr const char* kClaudeWebHost = "claude.ai";

// A judged proposal: either refused with a why, or ready to hold with its detail.
struct Judged {
    std::optional<std::string> why;
    Pending pending;
    MaybeJson detail;
};

Judged refused(std::string why) {
    Judged judged;
    judged.why = std::move(why);
    return judged;
}

std::optional<std::string> textMember(const Json& object, const char* name) {
    return Payload::text(Payload::member(object, name));
}

// A text whose length, as the user counts characters, lies within [least, most].
bool counted(const std::optional<std::string>& text, std::size_t least, std::size_t most) {
    if (!text) return false;
    const auto count = Text::characterCount(*text);
    return count >= least && count <= most;
}

// Line feed, vertical tab, form feed, carriage return, NEL, LINE and PARAGRAPH SEPARATOR.
bool breaksLines(const std::string& text) {
    if (text.find_first_of("\n\v\f\r") != std::string::npos) return true;
    return text.find("\u0085") != std::string::npos || text.find("\u2028") != std::string::npos ||
           text.find("\u2029") != std::string::npos;
}

// A capture number that is a whole number an int can hold; a fraction names no capture.
std::optional<int> captureNumber(const Json& value) {
    auto n = Payload::number(value);
    if (!n || std::trunc(*n) != *n || *n < std::numeric_limits<int>::min() || *n > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(*n);
}

bool sayable(const Elements::Target& target) {
    return !Text::trimmed(target.name).empty();
}

Judged judgeType(const Json& offer, const std::optional<Elements::Target>& target) {
    auto text = textMember(offer, "text");
    if (!counted(text, 1, 400) || breaksLines(*text)) return refused("nothing to type");
    if (!target || !target->ax || !typable().contains(target->role)) {
        return refused("that field isn't on screen any more");
    }
    Judged judged;
    judged.pending.text = text;
    return judged;
}

Judged judgeCopy(const Json& offer, const std::optional<Elements::Target>& target) {
    auto text = textMember(offer, "text");
    if (!counted(text, 1, 2000)) {
        text.reset();
        if (target && target->ax) text = holds(target->ax);
        if (!text && target && !target->name.empty()) text = target->name;
    }
    if (!text) return refused("nothing to copy");
    Judged judged;
    judged.pending.text = text;
    judged.detail = *text;
    return judged;
}

Judged judgeOpen(const Json& offer) {
    auto text = textMember(offer, "url");
    auto address = text ? safeURL(*text) : std::nullopt;
    if (!address) return refused("not a web address");
    Judged judged;
    judged.pending.url = address;
    judged.detail = *address;
    return judged;
}

Judged judgePress(const std::optional<Elements::Target>& target) {
    // A control without a name can't be told apart from one that deletes.
    if (!target || !target->ax || !pressable().contains(target->role) || !sayable(*target)) {
        return refused("I can only press a control I can name");
    }
    if (std::regex_search(target->name, theirs())) return refused("that one's yours to press");
    return {};
}

Judged judgeClaude(const Json& offer) {
    auto prompt = textMember(offer, "prompt");
    if (!counted(prompt, 12, 4000)) return refused("nothing to tell Claude");
    if (!ClaudeCode::cli()) return refused("Claude Code isn't installed");
    auto project = ClaudeCode::target(textMember(offer, "page"));
    if (!project) return refused("I couldn't find a Claude Code project for this page");
    Judged judged;
    judged.pending.text = prompt;
    judged.pending.claude = project;
    judged.detail = project->label;
    return judged;
}

Judged judgeAskClaude(const Json& offer) {
    auto prompt = textMember(offer, "prompt");
    if (!counted(prompt, 12, 4000)) return refused("nothing to ask Claude");
    Judged judged;
    judged.pending.text = prompt;
    judged.detail = kClaudeWebHost;
    return judged;
}

Judged judgeScroll(const Json& offer) {
    auto words = textMember(offer, "find");
    if (!counted(words, 3, 200)) return refused("nothing to scroll to");
    Judged judged;
    judged.pending.text = words;
    judged.detail = *words;
    return judged;
}

Judged judgeAgents(const Json& offer) {
    auto path = textMember(offer, "path");
    if (!path || !agentsPath(*path)) return refused("not one of nimbo's pages");
    Judged judged;
    judged.pending.text = path;
    return judged;
}

Judged judge(const std::string& kind, const Json& offer, const std::optional<Elements::Target>& target) {
    if (kind == "type") return judgeType(offer, target);
    if (kind == "copy") return judgeCopy(offer, target);
    if (kind == "open") return judgeOpen(offer);
    if (kind == "press") return judgePress(target);
    if (kind == "claude") return judgeClaude(offer);
    if (kind == "ask-claude") return judgeAskClaude(offer);
    if (kind == "scroll") return judgeScroll(offer);
    if (kind == "agents") return judgeAgents(offer);
    return refused("I can't do that");
}

Json refusal(const std::string& why) {
    return Json{{"ok", false}, {"why", why}};
}

}  // namespace

bool agentsPath(const std::string& path) {
    static const std::regex pattern(R"(^/agents(\?a=[A-Za-z0-9_-]+)?$)");
    // Counted first: the pattern never sees a long text.
    return Text::characterCount(path) < 300 && std::regex_match(path, pattern);
}

std::optional<std::string> holds(const platform::AXRef& element) {
    auto& ax = desktop().accessibility();
    if (auto url = ax.copy(element, "AXURL")) {
        if (const auto* address = std::get_if<platform::AXUrl>(&*url)) {
            if (auto parsed = Url::parse(address->address)) return parsed->text();
        } else if (const auto* text = std::get_if<std::string>(&*url); text && !text->empty()) {
            return *text;
        }
    }
    if (auto value = ax.copy(element, "AXValue")) {
        if (const auto* text = std::get_if<std::string>(&*value); text && !text->empty()) return *text;
    }
    return std::nullopt;
}

Json stage(const Json& offer, std::int64_t ticket) {
    if (!offer.is_object()) return refusal("no offer");
    auto id = textMember(offer, "id");
    auto body = offer.find("offer");
    if (!id || body == offer.end() || !body->is_object()) return refusal("no offer");
    auto kind = textMember(*body, "do");
    if (!kind) return refusal("no offer");

    std::optional<Elements::Target> target;
    auto capture = offer.find("capture");
    auto elementId = textMember(*body, "elementId");
    if (capture != offer.end() && elementId) {
        if (auto number = captureNumber(*capture)) target = Elements::target(*number, *elementId);
    }
    auto tap = offer.find("tap");

    auto judged = judge(*kind, *body, target);
    if (judged.why) return refusal(*judged.why);

    auto& pending = judged.pending;
    pending.id = *id;
    pending.kind = *kind;
    pending.target = std::move(target);
    pending.tap = tap != offer.end() && tap->is_boolean() && tap->get<bool>();
    pending.at = desktop().clock().now();
    if (!detail::hold(ticket, std::move(pending))) return refusal("that offer has gone");
    return Json{{"ok", true}, {"detail", judged.detail.value_or(Json(nullptr))}};
}

}  // namespace nimbo::Actions
