// Carrying out an accepted offer in the other application or the system.
#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "actions/Typing.h"
#include "base/Text.h"
#include "base/Url.h"
#include "screen/ScrollTo.h"

namespace nimbo::Actions {
namespace {

// The Claude web app's new conversation; the prompt goes in its "q".
constexpr const char* kClaudeNewChat = "https://claude.ai/new?q=";
constexpr std::size_t kClaudeQueryCharacters = 1800;

Outcome failed(std::string why) {
    return {false, std::move(why)};
}

Outcome scrollToWords(const std::string& words) {
    auto scrolled = ScrollTo::text(words);
    return {scrolled.ok, scrolled.why};
}

// Plain text on the clipboard, in place of whatever was there.
bool putOnClipboard(const std::string& text) {
    auto& pasteboard = desktop().pasteboard();
    pasteboard.clearContents();
    return pasteboard.setString(text);
}

Outcome copyText(const Pending& pending) {
    if (!pending.text) return failed("nothing to copy");
    if (!putOnClipboard(*pending.text)) return failed("couldn't copy it");
    return {true, std::nullopt};
}

Outcome openAddress(const Pending& pending) {
    // Judged again: an offer is only ever opened as the plain web address it was judged to be.
    auto address = pending.url ? safeURL(*pending.url) : std::nullopt;
    if (!address) return failed("not a web address");
    if (!desktop().workspace().openURL(*address)) return failed("couldn't open it");
    return {true, std::nullopt};
}

Outcome typeInto(const Pending& pending) {
    if (!pending.text || !pending.target || pending.target->role.empty()) {
        return failed("that field isn't on screen any more");
    }
    auto focused = focus(*pending.target);
    if (!focused.ok) return focused;
    auto typed = Typing::type(*pending.text, false, pending.target->ax);
    return {typed.ok, typed.why};
}

Outcome tellClaudeCode(const Pending& pending) {
    if (!pending.text || !pending.claude) return failed("nothing to tell Claude");
    auto [ok, why] = ClaudeCode::open(*pending.text, *pending.claude);
    return {ok, why};
}

Outcome openAgents(const Pending& pending) {
    if (!pending.text || !agentsPath(*pending.text) || !openInApp || !openInApp(*pending.text)) {
        return failed("couldn't open nimbo");
    }
    return {true, std::nullopt};
}

// The whole prompt goes on the clipboard; the address carries its start, as
// long addresses get cut on the way.
Outcome askClaude(const Pending& pending) {
    if (!pending.text) return failed("nothing to ask Claude");
    putOnClipboard(*pending.text);
    const auto address = kClaudeNewChat + Url::escapeQueryValue(Text::prefix(*pending.text, kClaudeQueryCharacters));
    if (!desktop().workspace().openURL(address)) return failed("couldn't open Claude");
    return {true, std::nullopt};
}

}  // namespace

Outcome perform(const Pending& pending) {
    const auto& kind = pending.kind;
    if (kind == "copy") return copyText(pending);
    if (kind == "open") return openAddress(pending);
    if (kind == "press") return press(pending.target);
    if (kind == "type") return typeInto(pending);
    if (kind == "claude") return tellClaudeCode(pending);
    if (kind == "scroll") return pending.text ? scrollToWords(*pending.text) : failed("nothing to scroll to");
    if (kind == "agents") return openAgents(pending);
    if (kind == "ask-claude") return askClaude(pending);
    return failed("I can't do that");
}

}  // namespace nimbo::Actions
