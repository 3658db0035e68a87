#include "app/AppDelegate.h"

#include <limits>

#include "account/Session.h"
#include "actions/Actions.h"
#include "app/Origin.h"
#include "base/Log.h"
#include "bridge/Bridge.h"
#include "control/MainMenu.h"
#include "display/Displays.h"
#include "meeting/MediaGrant.h"
#include "meeting/MeetingRecorder.h"
#include "screen/Elements.h"
#include "screen/Menus.h"

namespace nimbo {

AppDelegate::AppDelegate(platform::Platform& platform) : hotkey(platform), platform_(platform) {
    origin = Origin::resolve(platform.environment(), platform.defaults(), platform.bundle());
    Elements::attach(platform);
    Actions::attach(platform);
}

void AppDelegate::applicationDidFinishLaunching() {
    auto& app = platform_.application();
    app.setActivationPolicyRegular();
    MediaGrant::appOrigin = origin;
    Actions::openInApp = [weak = weak_from_this()](const std::string& path) {
        auto self = weak.lock();
        if (!self) return false;
        self->openControl();
        if (self->control) self->control->go("/control#" + path);
        return true;
    };

    // The status menu, and the update item only when updates can be checked.
    auto menu = StatusMenu::make(platform_);
    menu->onChoose = weakly([](AppDelegate& d, const std::string& id) { d.broadcast("nimbo:personality", id); });
    menu->onQuiet = weakly([](AppDelegate& d, bool on) { d.broadcast("nimbo:quiet", on); });
    menu->onPrompter = weakly([](AppDelegate& d) { d.startPrompter(std::nullopt); });
    menu->onOpen = weakly([](AppDelegate& d) { d.openControl(); });
    menu->onSettings = weakly([](AppDelegate& d) { d.showSettings(); });
    menu->onStopMeeting = [] { MeetingRecorder::shared().stop({}); };
    updater.start();
    if (updater.publicKey && updater.feed) {
        menu->onCheckUpdates = weakly([](AppDelegate& d) { d.updater.checkForUpdates(); });
        menu->rebuild();
    }
    statusMenu = menu;

    // The recorder reports on the main queue.
    auto& recorder = MeetingRecorder::shared();
    recorder.origin = origin;
    recorder.onChange = [weak = weak_from_this(), &main = platform_.main()](const Json& state) {
        main.post([weak, state] {
            auto self = weak.lock();
            if (!self) return;
            auto recording = state.find("recording");
            if (self->statusMenu) {
                self->statusMenu->setRecordingMeeting(recording != state.end() && recording->is_boolean() &&
                                                      recording->get<bool>());
            }
            self->broadcast("nimbo:meeting", state);
        });
    };

    MainMenu::install(platform_, weakly([](AppDelegate& d) { d.showSettings(); }));
    keyMonitor = app.addLocalKeyMonitor([weak = weak_from_this()](const platform::KeyEvent& event) {
        auto self = weak.lock();
        return self && self->localKeyEvent(event);
    });

    // Overlays appear only once the session restore is done.
    Session::restore(platform_, origin, weakly([](AppDelegate& d) {
                         d.build();
                         d.buildCaption();
                     }));

    arm();
    Elements::warm();
    observers_.push_back(app.observeFrontApplication(weakly(
        [](AppDelegate& d, const std::optional<platform::RunningApp>& front) { d.frontApplicationChanged(front); })));
    Menus::refresh(app.frontApplication());
    watchNotchHover();
    observers_.push_back(app.observeScreenParameters(weakly([](AppDelegate& d) { d.displaysChanged(); })));

    report();
    guide(weakly([](AppDelegate& d) { d.firstCompletion(); }));
}

void AppDelegate::firstCompletion() {
    auto& defaults = platform_.defaults();
    auto onboarded = defaults.get("nimbo.onboarded");
    if (onboarded && onboarded->is_boolean() && onboarded->get<bool>()) return;
    defaults.set("nimbo.onboarded", true);
    platform_.main().after(1.5, weakly([](AppDelegate& d) { d.openControl(); }));
}

void AppDelegate::report() {
    auto& permissions = platform_.permissions();
    Log::line("nimbo (shell) ready — " + std::to_string(overlays.size()) + " overlay(s), serving from " + origin);
    Log::line(std::string("  screen recording: ") + (permissions.screenCaptureGranted() ? "granted" : "NOT granted"));
    Log::line(std::string("  accessibility:    ") +
              (permissions.accessibilityTrusted() ? "granted" : "NOT granted — the hotkey cannot see ⌘⌥"));
    Log::line(std::string("  input monitoring: ") +
              (permissions.listenEventGranted() ? "granted" : "not granted (needed on some Macs for ⌘⌥)"));
    Log::line("  hold ⌘⌥ and ask about your screen");
}

void AppDelegate::guide(std::function<void()> then) {
    // Values the hooks share.
    struct Shared {
        bool trusted = false;
        bool trustStepRan = false;
        double lastRebuild = -std::numeric_limits<double>::infinity();
        bool deafSeen = false;
    };
    auto shared = std::make_shared<Shared>();
    shared->trusted = platform_.permissions().accessibilityTrusted();

    // Asked by the walk-through while it waits for keys to arrive.
    onboarding.keysReady = [weak = weak_from_this(), shared, &platform = platform_]() {
        auto self = weak.lock();
        if (!self) return true;
        if (!shared->trusted && !shared->trustStepRan) {
            shared->trustStepRan = true;
            shared->trusted = true;
            self->hotkey.restart();
            Log::line("nimbo: accessibility granted — key tap rebuilt");
        }
        if (self->hotkey.steadyListening()) {
            shared->deafSeen = false;
            return true;
        }
        if (self->hotkey.deaf) shared->deafSeen = true;
        if (shared->deafSeen) {
            double now = platform.clock().now();
            if (platform.permissions().listenEventGranted() && now - shared->lastRebuild > 2.0) {
                shared->lastRebuild = now;
                self->hotkey.restart();
            }
            return false;
        }
        return true;
    };

    hotkey.onDeaf = weakly([](AppDelegate& d) {
        Log::line("nimbo: the key tap is deaf — walking through Input Monitoring");
        d.onboarding.start(std::nullopt, false);
    });
    onboarding.onGuide = weakly([](AppDelegate& d, const Json& guideInfo, std::optional<platform::Screen> screen) {
        if (auto overlay = d.overlayOn(screen)) Bridge::emit(overlay->web(), "nimbo:guide", guideInfo);
    });
    onboarding.onDone = then;

    if (!onboarding.start(std::nullopt, false) && then) then();
}

void AppDelegate::startPrompter(const MaybeJson& payload) {
    std::shared_ptr<Overlay> target;
    for (const auto& weak : steerOwners) {
        if ((target = weak.lock())) break;
    }
    if (!target) target = overlayOn(std::nullopt);
    if (target) target->emit("nimbo:prompter", payload);
}

void AppDelegate::broadcast(const std::string& channel, const MaybeJson& payload) {
    for (const auto& overlay : overlays) Bridge::emit(overlay->web(), channel, payload);
    if (caption) Bridge::emit(caption->web(), channel, payload);
    bool forControl = channel == "nimbo:pref" || channel == "nimbo:personality" || channel == "nimbo:quiet" ||
                      channel == "nimbo:meeting";
    if (forControl && control) Bridge::emit(control->web(), channel, payload);
}

bool AppDelegate::applicationShouldHandleReopen(bool /*hasVisibleWindows*/) {
    openControl();
    return true;
}

platform::TerminateReply AppDelegate::applicationShouldTerminate() {
    // A second request while one is under way is absorbed.
    if (quitPending) return platform::TerminateReply::later;

    quitPending = true;
    auto& recorder = MeetingRecorder::shared();
    bool recording = recorder.meetingId.has_value();

    // Keep the session, then stop and upload the meeting, then reply.
    auto afterSession = weakly([recording](AppDelegate& d) {
        if (!recording) return d.finishQuit();
        MeetingRecorder::shared().stop(d.weakly([](AppDelegate& d2) {
            MeetingRecorder::shared().settle(4.0, d2.weakly([](AppDelegate& d3) { d3.finishQuit(); }));
        }));
    });
    if (Session::host) {
        Session::keepNow(platform_, afterSession);
    } else {
        platform_.main().post(afterSession);
    }

    // A quit never hangs on slow work.
    platform_.main().after(recording ? 6.0 : 1.5, weakly([](AppDelegate& d) { d.finishQuit(); }));

    return platform::TerminateReply::later;
}

// Whichever of the work and the fallback comes first replies; the other finds
// the flag clear.
void AppDelegate::finishQuit() {
    if (!quitPending) return;
    quitPending = false;
    platform_.application().replyToApplicationShouldTerminate(true);
}

void AppDelegate::applicationWillTerminate() {
    for (const auto& overlay : overlays) overlay->setInteractive(false);
    if (caption) caption->setInteractive(false);
    if (hoverTimer) hoverTimer->cancel();
    if (cursorTimer) cursorTimer->cancel();
}

bool AppDelegate::localKeyEvent(const platform::KeyEvent& event) {
    auto window = event.window ? event.window : platform_.application().keyWindow();
    if (!window) return false;
    std::shared_ptr<Overlay> owner;
    for (const auto& overlay : overlays) {
        if (overlay->owns(window.get())) owner = overlay;
    }
    if (!owner && caption && caption->owns(window.get())) owner = caption;
    if (!owner) return false;
    // An overlay never keeps typing that was meant for another application.
    if (event.type == platform::KeyEventType::keyDown) owner->window().handBackKeyboard();
    return true;
}

void AppDelegate::frontApplicationChanged(const std::optional<platform::RunningApp>& app) {
    if (app && app->pid == platform_.application().processId()) return;
    Elements::touch();
    Menus::refresh(app);
}

void AppDelegate::displaysChanged() {
    auto layout = Displays::layout(platform_.screens());
    if (layout == builtFor) {
        Log::line("nimbo: displays reported a change that moves no overlay — pages kept");
        for (const auto& overlay : overlays) overlay->keepPlaced("display change");
        if (caption) caption->keepPlaced("display change");
        return;
    }
    build();
    buildCaption();
}

// These arrive with their subsystems: the caption and the notch hover watch.
void AppDelegate::buildCaption() {}
void AppDelegate::watchNotchHover() {}
void AppDelegate::refollowGlass() {}
void AppDelegate::followGlass(const MaybeJson&) {}
// The hover area around the notch arrives with the island; until then the
// pointer is never over the door.
bool AppDelegate::pointerInDoor() {
    return false;
}

}  // namespace nimbo
