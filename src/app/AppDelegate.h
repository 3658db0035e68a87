#pragma once
// The application delegate: owns everything else, builds it at launch in a fixed
// order, and finishes a quit only once the session and any meeting are safe.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "account/Updater.h"
#include "ask/Capture.h"
#include "ask/Hotkey.h"
#include "bridge/Bridge.h"
#include "control/Control.h"
#include "control/StatusMenu.h"
#include "display/Overlay.h"
#include "island/NotchGlass.h"
#include "onboarding/Onboarding.h"
#include "platform/Platform.h"

namespace nimbo {

class AppDelegate : public platform::ApplicationDelegate, public std::enable_shared_from_this<AppDelegate> {
public:
    struct Panel {
        double width = 0;
        double height = 0;
        std::string mode;
    };

    // Resolves the origin, so a rejected candidate is already in the log.
    explicit AppDelegate(platform::Platform& platform);

    std::vector<std::shared_ptr<Overlay>> overlays;
    Hotkey hotkey;
    std::optional<Capture::Shot> lastShot;
    int captureCount = 0;
    MaybeJson frameWatch;
    platform::WorkHandle cursorTimer;
    std::vector<std::weak_ptr<Overlay>> cursorWanters;
    std::shared_ptr<Overlay> caption;
    platform::WorkHandle hoverTimer;
    std::optional<Panel> panel;
    std::optional<NotchGlass::Shape> shape;
    bool hoverInside = false;
    bool leavingDoor = false;
    bool captionHeld = false;
    NotchGlass glass;
    bool glassOn = false;
    std::vector<std::weak_ptr<Overlay>> steerOwners;
    std::weak_ptr<Overlay> pressTarget;
    std::weak_ptr<Overlay> offerOwner;
    std::optional<double> confirmedAt;
    std::optional<double> stagedAt;
    platform::WorkHandle pendingTap;
    platform::WorkHandle keyMonitor;
    bool quitPending = false;
    std::shared_ptr<StatusMenu> statusMenu;
    std::shared_ptr<Control> control;
    Updater updater;
    MaybeJson pendingBoard;
    bool pendingTypeAsk = false;
    std::vector<std::string> builtFor;
    std::weak_ptr<Overlay> captionFrom;
    std::string origin;
    Onboarding onboarding;
    Point lastCursor{-1, -1};

    void applicationDidFinishLaunching() override;
    platform::TerminateReply applicationShouldTerminate() override;
    void applicationWillTerminate() override;
    bool applicationShouldHandleReopen(bool hasVisibleWindows) override;

    void report();
    void guide(std::function<void()> then);
    void startPrompter(const MaybeJson& payload);
    // One event to every overlay page, the caption page and, for a few
    // channels, the control center.
    void broadcast(const std::string& channel, const MaybeJson& payload);

    // Handlers of the observed notifications and of the local key monitor.
    void frontApplicationChanged(const std::optional<platform::RunningApp>& app);
    void displaysChanged();
    bool localKeyEvent(const platform::KeyEvent& event);

    // A message from an overlay or caption page.
    void handle(Overlay& overlay, const BridgeMessage& message);
    // Its offer channels: proposing, clearing, accepting by click or by a spoken yes.
    void offerRequest(Overlay& overlay, const BridgeMessage& message);
    // Its typing channels: typing, the field under a point, a spoken yes to a staged card.
    void typingRequest(Overlay& overlay, const BridgeMessage& message);
    // Whether a real gesture of the user stands behind a typing request.
    bool typingGesture(bool submit);
    // "nimbo:offer-done" to the page that proposed the offer, else to `fallback`,
    // else to the overlay under the pointer.
    void offerDone(const Json& result, const std::shared_ptr<Overlay>& fallback);

    // The overlay of a display (absent: the display under the pointer); the
    // first overlay when none matches.
    std::shared_ptr<Overlay> overlayOn(std::optional<platform::Screen> screen);
    // Takes the old overlays down and builds one per display for the current layout.
    void build();
    // Drops every reference the delegate keeps to an overlay.
    void forget(Overlay& overlay);
    // Tells the key tap whether any page is steering the teleprompter.
    void updateSteering();
    // Whether pages may scroll other applications: the "autoWalk" flag of the
    // "spatial" preference, on unless it is there and false.
    bool autoWalkOn();
    void buildCaption();
    // Watches clicks elsewhere, wires the key tap's callbacks to the
    // conversation with the pages and starts it.
    void arm();
    // Captures the display of `overlay` (absent: the one under the pointer),
    // sends it the picture and then the elements on screen.
    void captureAndSend(const std::shared_ptr<Overlay>& overlay);
    // The element list of one capture, worked out off the main thread and sent
    // to `overlay` (gone: the overlay under the pointer).
    void sendElements(const Capture::Shot& shot, int capture, const std::weak_ptr<Overlay>& overlay);
    // Abandons a press with a log line.
    void endPress(const std::shared_ptr<Overlay>& overlay, const std::string& reason);
    // Starts or stops streaming the pointer to the pages that want it.
    void pollCursor(bool on);
    void watchNotchHover();
    // The control center, built the first time it is wanted, shown.
    void openControl();
    // The main menu's settings item: the control center at "/control#you".
    void showSettings();
    // A message from the control center page.
    void handleControl(const BridgeMessage& message, Control& from);
    // Gives every window of the shell the sharing type the user's choice dictates.
    void applyVisibility();
    // Re-places the caption window after the "spatial" preference changed.
    void refollowGlass();
    // Follows the island's outline that the caption page reports.
    void followGlass(const MaybeJson& shape);
    // Whether the pointer is over the notch door that opens the caption.
    bool pointerInDoor();

private:
    template <typename F>
    auto weakly(F f);
    void firstCompletion();
    // The chord's life, as the key tap reports it.
    void chordPressed();
    void chordReleased(double held, double began, bool steered);
    void chordCancelled();
    void chordSteered(int step);
    void singleTap(double began);
    std::shared_ptr<Overlay> pressTargetOrUnderPointer();
    // `overlay` while it lives, else the overlay under the pointer.
    std::shared_ptr<Overlay> orUnderPointer(const std::shared_ptr<Overlay>& overlay);
    // Runs `read` on a background queue and sends what it answers to `target`.
    void sendLater(const std::weak_ptr<Overlay>& target, const std::string& channel, platform::Priority priority,
                   MaybeJson (*read)());
    void clickedElsewhere();
    // One capture of `screen`, the control center in it when it is there.
    Capture::Grab grabDisplay(const platform::Screen& screen);
    // Encodes a shot off the main thread and hands the data address back.
    void encodeLater(const Capture::Shot& shot, std::function<void(AppDelegate&, std::optional<std::string>)> done);
    void sendCaptured(const Capture::Shot& shot, int capture, const std::weak_ptr<Overlay>& overlay,
                      const std::optional<std::string>& dataURL);
    void sendCursor();
    // Page requests answered asynchronously.
    void captureForPage(Overlay& overlay, long long id);
    void zoomForPage(Overlay& overlay, const MaybeJson& payload, long long id);
    // The camera housing of the display an overlay is on: {w, h}, or null.
    Json housingFor(Overlay& overlay);
    // The caption's traffic: interactivity, forwarding between the overlay
    // pages and the caption page, the card's acts, the island's reports.
    void captionRequest(Overlay& overlay, const BridgeMessage& message);
    // The settings a page reads and changes: preferences, personality, quiet.
    void settingRequest(Overlay& overlay, const BridgeMessage& message);
    // What a page opens in the control center: typing, a board, the server's pages.
    void openingRequest(Overlay& overlay, const BridgeMessage& message);
    // Scrolling the application in front, while the user allows it.
    void scrollRequest(Overlay& overlay, const BridgeMessage& message);
    // Logs where an overlay landed against where its display is.
    void checkPlacement(Overlay& overlay);
    void finishQuit();
    void askFromControl(const MaybeJson& payload, Control& from);

    platform::Platform& platform_;
    std::vector<platform::WorkHandle> observers_;
    double pendingTapBegan_ = 0;  // when the tap now waiting for a second one began
};

// Wraps `f(self, args...)` so that it does nothing once the delegate is gone.
template <typename F>
auto AppDelegate::weakly(F f) {
    return [weak = weak_from_this(), f = std::move(f)](auto&&... args) {
        if (auto self = weak.lock()) f(*self, std::forward<decltype(args)>(args)...);
    };
}

}  // namespace nimbo
