#include <map>

#include "app/AppDelegate.h"
#include "base/Log.h"
#include "base/Text.h"
#include "base/Url.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"
#include "control/Prefs.h"
#include "control/Visibility.h"
#include "meeting/MeetingRecorder.h"

namespace nimbo {
namespace {

using Payload::flag;
using Payload::member;
using Payload::text;

bool isWebAddress(const std::optional<std::string>& address) {
    if (!address) return false;
    auto url = Url::parse(*address);
    return url && url->isWeb();
}

// The privacy panes the page may open by name.
const std::map<std::string, std::string> kPanes{
    {"screen", "Privacy_ScreenCapture"},
    {"accessibility", "Privacy_Accessibility"},
    {"microphone", "Privacy_Microphone"},
};

std::optional<Onboarding::Need> needNamed(const std::optional<std::string>& name) {
    if (name == "screen") return Onboarding::Need::screen;
    if (name == "accessibility") return Onboarding::Need::accessibility;
    if (name == "keys") return Onboarding::Need::keys;
    if (name == "microphone") return Onboarding::Need::microphone;
    return std::nullopt;
}

constexpr std::size_t kPrompterCharacters = 20000;
constexpr std::size_t kLoggedQuestion = 60;

}  // namespace

// The control center page's requests: settings in and out, permissions, the
// teleprompter, and asking the overlay to look. An invoke of a channel not
// handled here is answered null so no page promise hangs.
void AppDelegate::handleControl(const BridgeMessage& message, Control& from) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;
    auto answer = [&](const MaybeJson& value) {
        if (message.id) Bridge::resolve(from.web(), *message.id, value ? *value : Json(nullptr));
    };
    auto& defaults = platform_.defaults();

    if (channel == "nimbo:log") {
        if (auto line = text(payload)) Log::line("nimbo: [control] " + *line);
    } else if (channel == "nimbo:pref-get") {
        answer(Prefs::get(platform_, text(payload).value_or("")));
    } else if (channel == "nimbo:pref-set") {
        auto key = text(member(payload, "key")).value_or("");
        auto value = member(payload, "value");
        bool ok = Prefs::set(platform_, key, value);
        answer(ok);
        if (!ok) return;
        if (Prefs::overlay.contains(key))
            broadcast("nimbo:pref", Json{{"key", key}, {"value", value.value_or(nullptr)}});
        if (key == "spatial") refollowGlass();
    } else if (channel == "nimbo:fullscreen") {
        from.toggleFullScreen();
    } else if (channel == "nimbo:fullscreen-now") {
        answer(from.controlWindow().isFullScreen());
    } else if (channel == "nimbo:drag-window") {
        from.dragWindow();
    } else if (channel == "nimbo:title-double-click") {
        from.titleDoubleClick();
    } else if (channel == "nimbo:type-ask-now") {
        answer(std::exchange(pendingTypeAsk, false));
    } else if (channel == "nimbo:personality-now") {
        answer(StatusMenu::current(defaults));
    } else if (channel == "nimbo:set-personality") {
        auto id = text(payload);
        if (id && statusMenu && statusMenu->save(*id)) broadcast("nimbo:personality", *id);
    } else if (channel == "nimbo:quiet-now") {
        answer(flag(defaults.get("nimbo.quiet")).value_or(false));
    } else if (channel == "nimbo:set-quiet") {
        auto on = flag(payload);
        if (on && statusMenu && statusMenu->saveQuiet(*on)) broadcast("nimbo:quiet", *on);
    } else if (channel == "nimbo:visible-now") {
        bool showcase = Visibility::showcaseEnv(platform_.environment());
        answer(Json{{"visible", Visibility::allowed(platform_)}, {"forced", showcase}});
    } else if (channel == "nimbo:set-visible") {
        defaults.set("nimbo.visible", flag(payload).value_or(false));
        applyVisibility();
    } else if (channel == "nimbo:teach-now") {
        answer(std::exchange(pendingBoard, std::nullopt));
    } else if (channel == "nimbo:meeting-start") {
        // Starting a recording arrives with the recorder; a malformed id is refused already.
        if (!text(member(payload, "id"))) return answer(Json{{"ok", false}, {"why", "no meeting"}});
        answer(std::nullopt);
    } else if (channel == "nimbo:meeting-stop") {
        MeetingRecorder::shared().stop([weak = from.weak_from_this(), id = message.id] {
            if (auto page = weak.lock(); page && id) Bridge::resolve(page->web(), *id, true);
        });
    } else if (channel == "nimbo:meeting-now") {
        answer(MeetingRecorder::shared().state());
    } else if (channel == "nimbo:prompter-start") {
        Json request{{"mode", member(payload, "mode").value_or(nullptr)},
                     {"seconds", member(payload, "seconds").value_or(nullptr)}};
        if (auto words = text(member(payload, "text"))) request["text"] = Text::prefix(*words, kPrompterCharacters);
        startPrompter(request);
    } else if (channel == "nimbo:permissions") {
        auto& grants = platform_.permissions();
        // The microphone's grant arrives with the meeting recorder.
        answer(Json{{"screen", grants.screenCaptureGranted()},
                    {"accessibility", grants.accessibilityTrusted()},
                    {"microphone", false},
                    {"keys", !hotkey.deaf}});
    } else if (channel == "nimbo:open-settings") {
        if (auto pane = kPanes.find(text(payload).value_or("")); pane != kPanes.end()) {
            platform_.workspace().openPrivacyPane(pane->second);
        }
    } else if (channel == "nimbo:walk-permissions") {
        auto name = text(payload);
        if (onboarding.start(needNamed(name), true)) return;
        Log::line("nimbo: setup — nothing missing to walk through");
        if (auto pane = kPanes.find(name.value_or("")); pane != kPanes.end()) {
            platform_.workspace().openPrivacyPane(pane->second);
        }
    } else if (channel == "nimbo:open-url") {
        if (auto address = text(payload); isWebAddress(address)) platform_.workspace().openURL(*address);
    } else if (channel == "nimbo:ask-screen") {
        askFromControl(payload, from);
    } else if (message.kind == "invoke" && message.id) {
        // Also "nimbo:sign-in" until the sign-in sheet arrives with the account subsystem.
        answer(std::nullopt);
    }
}

// The control center steps aside (leaving full screen takes longer), a given
// web address opens, and the overlay under the pointer is asked.
void AppDelegate::askFromControl(const MaybeJson& payload, Control& from) {
    auto question = text(member(payload, "question"));
    if (!question || question->empty()) return;
    double wait = from.hide() ? 1.6 : 0.6;
    if (auto address = text(member(payload, "url")); isWebAddress(address)) {
        platform_.workspace().openURL(*address);
        wait = 3.0;
    }
    platform_.main().after(
        wait, weakly([question = *question](AppDelegate& d) {
            Log::line("nimbo: asked from the control center — " + Text::prefix(question, kLoggedQuestion));
            if (auto overlay = d.overlayOn(std::nullopt)) overlay->emit("nimbo:ask", Json{{"question", question}});
        }));
}

}  // namespace nimbo
