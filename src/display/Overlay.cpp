#include "display/Overlay.h"

#include <algorithm>
#include <cmath>

#include "base/Log.h"
#include "bridge/Bridge.h"
#include "control/Visibility.h"
#include "display/Displays.h"
#include "display/NumberText.h"

namespace nimbo {
namespace {

constexpr double kLoadTimeout = 60.0;
constexpr double kLease = 2.5;
constexpr double kFirstRetry = 2.0;
constexpr double kLongestRetry = 30.0;
constexpr double kPlacementSlack = 0.5;
// Raw values of the window system: the screen-saver level, and joins all
// spaces + stationary + out of the window cycle + beside full-screen windows.
constexpr int kOverlayLevel = 1000;
constexpr unsigned kOverlayCollection = 1 | 16 | 64 | 256;

bool near(double a, double b) {
    return std::fabs(a - b) <= kPlacementSlack;
}

}  // namespace

std::shared_ptr<Overlay> Overlay::make(platform::Platform& platform, const platform::Screen& screen, std::string url,
                                       std::optional<Rect> frame, MessageHandler onMessage) {
    auto overlay = std::make_shared<Overlay>(Passkey{}, platform, screen, std::move(url), frame, std::move(onMessage));
    overlay->start(frame ? Displays::toAppKit(platform.screens(), *frame) : screen.frame);
    return overlay;
}

Overlay::Overlay(Passkey, platform::Platform& platform, const platform::Screen& screen, std::string url,
                 std::optional<Rect> frame, MessageHandler onMessage)
    : platform_(platform),
      screen_(screen),
      intendedFrame_(frame.value_or(Displays::topLeftBounds(platform.screens(), screen))),
      onMessage_(std::move(onMessage)),
      url_(std::move(url)) {}

void Overlay::start(const Rect& appKitFrame) {
    platform::PageWindowOptions options;
    options.frame = appKitFrame;
    options.transparent = true;
    options.nonActivating = true;
    options.level = kOverlayLevel;
    options.collectionBehavior = kOverlayCollection;
    window_ = OverlayWindow::make(platform_, platform_.windows().makePageWindow(options));

    auto weak = weak_from_this();
    Bridge::install(web(), url_, [weak](const BridgeMessage& message) {
        auto self = weak.lock();
        if (self && self->onMessage_) self->onMessage_(*self, message);
    });
    platform::WebView::Events events;
    events.decideResponse = [](int status) {
        if (status < 400) return true;
        Log::line("nimbo: an overlay page came back " + std::to_string(status) + " — not shown");
        return false;
    };
    events.finished = [weak] {
        if (auto self = weak.lock()) self->retryDelay_ = kFirstRetry;
    };
    events.failed = [weak](const platform::NavigationError& error) {
        if (auto self = weak.lock()) self->loadAgain(error);
    };
    events.rendererDied = [weak] {
        if (auto self = weak.lock()) self->rendererDied();
    };
    web().setEvents(std::move(events));

    auto& page = window_->page();
    page.setIgnoresMouse(true);
    // Kept out of screenshots, recordings and screen sharing unless the user or a demonstration allows it.
    page.setSharingType(Visibility::sharingType(platform_));
    page.setFrame(appKitFrame);
    page.orderFront();
    load();
}

void Overlay::load() {
    web().load(url_, kLoadTimeout);
}

void Overlay::emit(const std::string& channel, const MaybeJson& payload) {
    Bridge::emit(web(), channel, payload);
}

void Overlay::setInteractive(bool solid) {
    if (leaseTimer_) leaseTimer_->cancel();
    leaseTimer_.reset();
    auto& page = window_->page();
    bool wasIgnoring = page.ignoresMouse();
    page.setIgnoresMouse(!solid);
    if (!solid) {
        window_->handBackKeyboard();
        if (!wasIgnoring) platform_.windows().setArrowCursor();
        return;
    }
    // A page that wants to keep the mouse must ask again within every lease.
    if (wasIgnoring) page.makeKey();
    leaseTimer_ = platform_.main().after(kLease, [weak = weak_from_this()] {
        if (auto self = weak.lock()) self->setInteractive(false);
    });
}

bool Overlay::keepPlaced(const std::string& reason) {
    Rect want = Displays::toAppKit(platform_.screens(), intendedFrame_);
    Rect have = window_->page().frame();
    if (near(have.origin.x, want.origin.x) && near(have.origin.y, want.origin.y) &&
        near(have.size.width, want.size.width) && near(have.size.height, want.size.height)) {
        return false;
    }
    Log::line("nimbo: window had DRIFTED to " + NumberText::sizeAt(have) + " — want " + NumberText::sizeAt(want) +
              "; every mark was off by the difference [" + reason + "]");
    window_->page().setFrame(want);
    emit("nimbo:frame", frameInfo());
    return true;
}

Json Overlay::frameInfo() const {
    const auto& screens = platform_.screens();
    Rect frame = window_->page().frame();
    Rect display = Displays::topLeftBounds(screens, screen_);
    return Json{
        {"wx", frame.origin.x},     {"wy", Displays::primaryHeight(screens) - frame.maxY()},
        {"dx", display.origin.x},   {"dy", display.origin.y},
        {"dw", display.size.width}, {"dh", display.size.height},
    };
}

// A cancelled load is the shell's own doing; anything else is tried again,
// one pending reload at a time, waiting 2, 4, 8, 16 and then 30 s.
void Overlay::loadAgain(const platform::NavigationError& error) {
    if (error.domain == "NSURLErrorDomain" && error.code == -999) return;
    if (retry_) return;
    double delay = retryDelay_;
    retryDelay_ = std::min(2 * delay, kLongestRetry);
    Log::line("nimbo: an overlay page did not load (" + error.description + ") — trying again in " +
              NumberText::truncated(delay) + "s");
    retry_ = platform_.main().after(delay, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self) return;
        self->retry_.reset();
        self->load();
    });
}

void Overlay::rendererDied() {
    Log::line("nimbo: an overlay renderer died — handing back its click-through and reloading");
    setInteractive(false);
    if (onRendererDied) onRendererDied(*this);
    web().reload();
}

void Overlay::tearDown() {
    setInteractive(false);
    onRendererDied = nullptr;
    if (retry_) retry_->cancel();
    retry_.reset();
    web().removeMessageHandler("nimbo");
    web().setEvents({});
    web().stopLoading();
    web().loadHTML("");
    window_->page().orderOut();
    window_->page().close();
}

}  // namespace nimbo
