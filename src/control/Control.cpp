#include "control/Control.h"

#include <algorithm>

#include "base/Log.h"
#include "base/Url.h"
#include "bridge/Bridge.h"
#include "control/OfflinePage.h"
#include "control/Visibility.h"
#include "display/NumberText.h"
#include "meeting/MediaGrant.h"

namespace nimbo {
namespace {

constexpr double kLoadTimeout = 60.0;
constexpr double kFirstRetry = 2.0;
constexpr double kLongestRetry = 30.0;
// A second death this soon after the first waits for the user instead of
// reloading into a crash loop.
constexpr double kDeathWindow = 10.0;

// Keeps the system's writing suggestions out of the page's text fields, in
// every frame, before and after the document has been parsed.
constexpr const char* kNoWritingSuggestions = R"((() => {
  const off = () => {
    const root = document.documentElement;
    if (root && root.getAttribute('writingsuggestions') !== 'false') root.setAttribute('writingsuggestions', 'false');
  };
  off();
  document.addEventListener('DOMContentLoaded', off);
})();)";

// The host of an address, lower-cased; absent for an address without one
// (the offline page, about:blank) or one that doesn't parse.
std::optional<std::string> hostOf(const std::string& address) {
    auto url = Url::parse(address);
    if (!url || url->host().empty()) return std::nullopt;
    return url->hostLowered();
}

}  // namespace

std::shared_ptr<Control> Control::make(platform::Platform& platform, const std::string& url, MessageHandler onMessage) {
    platform::ControlWindowOptions options;
    options.title = "nimbo";
    options.contentSize = {1040, 700};
    options.minimumSize = {760, 520};
    options.titleHidden = true;
    options.frameAutosaveName = "nimbo.control";
    auto window = platform.controlWindows().make(options);
    if (!window) return nullptr;
    auto control = std::make_shared<Control>(Passkey{}, platform, std::move(window), url, std::move(onMessage));
    control->start();
    return control;
}

Control::Control(Passkey, platform::Platform& platform, std::shared_ptr<platform::ControlWindow> window,
                 std::string home, MessageHandler onMessage)
    : platform_(platform), window_(std::move(window)), home_(std::move(home)), onMessage_(std::move(onMessage)) {}

void Control::start() {
    auto weak = weak_from_this();
    Bridge::install(web(), home_, [weak](const BridgeMessage& message) {
        auto self = weak.lock();
        if (self && self->onMessage_) self->onMessage_(*self, message);
    });
    platform_.defaults().set("WebGrammarCheckingEnabled", false);
    web().addUserScript({kNoWritingSuggestions, false});

    platform::WebView::Events events;
    events.decideResponse = [](int status) {
        if (status < 400) return true;
        Log::line("nimbo: the control center page came back " + std::to_string(status) + " — not shown");
        return false;
    };
    events.finished = [weak] {
        if (auto self = weak.lock()) self->loaded();
    };
    events.failed = [weak](const platform::NavigationError& error) {
        if (auto self = weak.lock()) self->loadFailed(error);
    };
    events.rendererDied = [weak] {
        if (auto self = weak.lock()) self->rendererDied();
    };
    events.decideLinkNavigation = [weak](const std::string& url) {
        auto self = weak.lock();
        return !self || self->linkActivated(url);
    };
    events.newWindowRequested = [weak](const std::string& url) {
        if (auto self = weak.lock()) self->newWindowRequested(url);
    };
    // A page's dialog waits for the user only while the user can see it.
    events.alert = [weak](const std::string& message, std::function<void()> done) {
        auto self = weak.lock();
        if (!self || !self->window_->isVisible()) return done();
        self->window_->runAlert(message, std::move(done));
    };
    events.confirm = [weak](const std::string& message, std::function<void(bool)> done) {
        auto self = weak.lock();
        if (!self || !self->window_->isVisible()) return done(false);
        self->window_->runConfirm(message, std::move(done));
    };
    events.chooseFiles = [weak](const platform::FileChooserRequest& request,
                                std::function<void(std::vector<std::string>)> done) {
        auto self = weak.lock();
        if (!self || !self->window_->isVisible()) return done({});
        self->window_->runOpenPanel(request, std::move(done));
    };
    events.mediaCapture = [weak](const std::string& origin) {
        auto self = weak.lock();
        return self && MediaGrant::isNimbo(origin, self->platform_.defaults());
    };
    web().setEvents(std::move(events));

    window_->setFullScreenHandler([weak](platform::FullScreenChange change) {
        if (auto self = weak.lock()) self->fullScreenChanged(change);
    });
    // Closing only puts the window away: the page lives as long as the shell.
    window_->setShouldClose([weak] {
        if (auto self = weak.lock()) self->hide();
        return false;
    });
    window_->page().setSharingType(Visibility::sharingType(platform_));
    load(home_);
}

void Control::load(const std::string& url) {
    web().load(url, kLoadTimeout);
}

void Control::reload() {
    if (!web().url().empty()) return web().reload();
    load(home_);
}

void Control::show() {
    awayAfterFullScreen = false;
    if (reloadOnShow) {
        reloadOnShow = false;
        reload();
    }
    window_->activate();
    window_->page().makeKey();
    window_->page().orderFront();
}

bool Control::hide() {
    window_->muteMedia();
    if (!window_->isFullScreen()) {
        window_->page().orderOut();
        return false;
    }
    // The window is put away once it has left full screen; a second hide
    // while it is leaving must not toggle it back in.
    if (!awayAfterFullScreen) {
        awayAfterFullScreen = true;
        window_->toggleFullScreen();
    }
    return true;
}

void Control::go(const std::string& path) {
    if (!path.starts_with("/") || path.starts_with("//")) return;
    auto home = Url::parse(home_);
    if (!home) return;
    // An absolute path keeps home's scheme and authority.
    auto authority = home_.find('/', home_.find("//") + 2);
    auto target = Url::parse(home_.substr(0, authority) + path);
    if (!target || target->hostLowered() != home->hostLowered() || target->port() != home->port()) return;
    load(target->text());
}

void Control::emit(const std::string& channel, const MaybeJson& payload) {
    Bridge::emit(web(), channel, payload);
}

void Control::toggleFullScreen() {
    if (!window_->isVisible()) show();
    window_->toggleFullScreen();
}

void Control::dragWindow() {
    auto event = window_->currentMouseEvent();
    bool leftButtonEvent =
        event == platform::MouseEventKind::leftMouseDown || event == platform::MouseEventKind::leftMouseDragged;
    if (leftButtonEvent && window_->leftMouseButtonPressed()) window_->performDrag();
}

void Control::titleDoubleClick() {
    auto action = window_->titleBarDoubleClickAction();
    if (action == "Minimize") return window_->miniaturize();
    if (action == "None") return;
    window_->zoom();
}

// Only the control center's own server is retried, one pending reload at a
// time, waiting 2, 4, 8, 16 and then 30 s; the offline page shows meanwhile.
void Control::loadFailed(const platform::NavigationError& error) {
    std::string failed = Url::parse(error.failingUrl) ? error.failingUrl : home_;
    if (error.domain == "NSURLErrorDomain" && error.code == -999) return;
    if (hostOf(failed) != hostOf(home_)) return;
    if (retry) return;
    double wait = retryDelay;
    retryDelay = std::min(2 * wait, kLongestRetry);
    Log::line("nimbo: the control center did not load (" + error.description + ") — trying again in " +
              NumberText::truncated(wait) + "s");
    web().loadHTML(OfflinePage::html(OfflinePage::address(failed)));
    retry = platform_.main().after(wait, [weak = weak_from_this(), failed] {
        auto self = weak.lock();
        if (!self) return;
        self->retry.reset();
        self->load(failed);
    });
}

void Control::loaded() {
    if (hostOf(web().url()) == hostOf(home_)) retryDelay = kFirstRetry;
}

void Control::rendererDied() {
    double now = platform_.clock().now();
    bool again = diedAt && now - *diedAt < kDeathWindow;
    diedAt = now;
    Log::line(std::string("nimbo: the control center's renderer died — ") +
              (again ? "again; reloading when it is next opened" : "reloading"));
    if (again) {
        reloadOnShow = true;
    } else {
        reload();
    }
}

void Control::fullScreenChanged(platform::FullScreenChange change) {
    using platform::FullScreenChange;
    bool on = change == FullScreenChange::willEnter || change == FullScreenChange::didEnter ||
              change == FullScreenChange::didFailToExit;
    emit("nimbo:fullscreen", on);
    bool ended = change == FullScreenChange::didExit || change == FullScreenChange::didFailToExit;
    if (ended && awayAfterFullScreen) {
        awayAfterFullScreen = false;
        window_->page().orderOut();
    }
}

// Links to other sites open in the user's browser; the page stays.
bool Control::linkActivated(const std::string& url) {
    if (hostOf(url) == hostOf(web().url())) return true;
    platform_.workspace().openURL(url);
    return false;
}

void Control::newWindowRequested(const std::string& url) {
    if (auto parsed = Url::parse(url); parsed && parsed->isWeb()) platform_.workspace().openURL(url);
}

}  // namespace nimbo
