// Asking about the screen once a hold ends: the display is captured, the page
// gets the picture as soon as it is encoded, and the elements on screen after
// the slower walk, both under the capture's number.
#include <algorithm>
#include <cmath>
#include <mutex>

#include "app/AppDelegate.h"
#include "base/Log.h"
#include "control/Visibility.h"
#include "display/Displays.h"
#include "screen/Elements.h"
#include "screen/FileFacts.h"
#include "screen/Menus.h"

namespace nimbo {
namespace {

constexpr double kModelQuality = 0.82;

const char* const kDeniedSummary =
    "i can't see your screen — your mac isn't letting nimbo record it. in system settings, privacy and security, "
    "screen and system audio recording, turn nimbo on, then quit and reopen me.";
const char* const kAgainSummary = "i couldn't see your screen just then — hold command and option and ask me again.";

// A fraction of the display, kept to 0…1 (a degenerate display gives 0).
double clampedFraction(double value) {
    return std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
}

Json boundsJson(const Rect& bounds) {
    return {{"x", bounds.minX()}, {"y", bounds.minY()}, {"w", bounds.size.width}, {"h", bounds.size.height}};
}

std::string milliseconds(double seconds) {
    return std::to_string(static_cast<long long>(seconds * 1000.0)) + "ms";
}

}  // namespace

void AppDelegate::endPress(const std::shared_ptr<Overlay>& overlay, const std::string& reason) {
    Log::line("nimbo: " + reason);
    Elements::discardEarly();
    if (auto to = orUnderPointer(overlay)) to->emit("nimbo:cancel", std::nullopt);
}

Capture::Grab AppDelegate::grabDisplay(const platform::Screen& screen) {
    platform::PageWindow* controlWindow = control ? &control->window() : nullptr;
    auto revealed = Capture::reveal(platform_, controlWindow, screen);
    auto grabbed = Capture::grab(platform_, screen, revealed);
    // Whatever came of it, the control center goes back to how the user wants it.
    if (revealed && controlWindow) {
        controlWindow->setSharingType(Visibility::sharingType(platform_));
    }
    hotkey.enableAgain();
    return grabbed;
}

void AppDelegate::encodeLater(const Capture::Shot& shot,
                              std::function<void(AppDelegate&, std::optional<std::string>)> done) {
    auto back = weakly(std::move(done));
    platform_.queues().async(
        platform::Priority::userInitiated, [shot, back, &images = platform_.images(), &main = platform_.main()] {
            auto url = Capture::modelDataURL(images, shot.image, shot.bounds.size.width, kModelQuality);
            main.post([back, url = std::move(url)] { back(url); });
        });
}

void AppDelegate::captureAndSend(const std::shared_ptr<Overlay>& overlay) {
    auto& screens = platform_.screens();
    std::optional<platform::Screen> display =
        overlay ? std::optional(overlay->screen()) : Displays::screenAt(screens, screens.mouseLocation());
    if (!display) return endPress(overlay, "no display to capture");

    // Windows a display change moved must not be captured where they were.
    for (const auto& each : overlays) each->keepPlaced("about to capture");
    if (caption) caption->keepPlaced("about to capture");
    const int n = ++captureCount;

    auto& clock = platform_.clock();
    const double began = clock.now();
    auto grabbed = grabDisplay(*display);
    const double grabbedAt = clock.now();
    if (!grabbed.shot) {
        endPress(overlay, "capture failed — " + grabbed.error.description);
        const bool denied = grabbed.error.failure == Capture::Failure::denied;
        if (denied && onboarding.start(std::nullopt, false)) return;
        if (auto to = orUnderPointer(overlay)) {
            to->emit("nimbo:guide", Json{{"id", "capture-" + std::to_string(n)},
                                         {"steps", Json::array()},
                                         {"done", true},
                                         {"summary", denied ? kDeniedSummary : kAgainSummary}});
        }
        return;
    }

    lastShot = grabbed.shot;
    std::weak_ptr<Overlay> weakOverlay = overlay;
    encodeLater(*grabbed.shot, [shot = *grabbed.shot, n, weakOverlay, began, grabbedAt](
                                   AppDelegate& d, std::optional<std::string> url) {
        // Where the time of an ask goes, for the latency benchmark.
        if (url) {
            Log::line("nimbo: capture " + std::to_string(n) + " grabbed in " + milliseconds(grabbedAt - began) +
                      ", encoded in " + milliseconds(d.platform_.clock().now() - grabbedAt));
        }
        d.sendCaptured(shot, n, weakOverlay, url);
    });
}

void AppDelegate::sendCaptured(const Capture::Shot& shot, int capture, const std::weak_ptr<Overlay>& overlay,
                               const std::optional<std::string>& dataURL) {
    if (!dataURL) return endPress(overlay.lock(), "the screenshot would not encode");
    auto& screens = platform_.screens();
    const Point mouse = screens.mouseLocation();
    const Rect& bounds = shot.bounds;
    const double x = clampedFraction((mouse.x - bounds.minX()) / bounds.size.width);
    const double y = clampedFraction((Displays::primaryHeight(screens) - mouse.y - bounds.minY()) / bounds.size.height);
    if (auto to = orUnderPointer(overlay.lock())) {
        to->emit("nimbo:captured", Json{{"imageDataUrl", *dataURL},
                                        {"bounds", boundsJson(bounds)},
                                        {"cursor", {{"x", x}, {"y", y}}},
                                        {"capture", capture}});
    }
    sendElements(shot, capture, overlay);
}

void AppDelegate::sendElements(const Capture::Shot& shot, int capture, const std::weak_ptr<Overlay>& overlay) {
    // The walk and the front document are read side by side; whichever ends
    // last finishes the reply.
    struct Reading {
        std::mutex lock;
        int left = 2;
        Json elements = Json::array();
        std::optional<std::string> document;
    };
    auto reading = std::make_shared<Reading>();
    auto& clock = platform_.clock();
    const double started = clock.now();
    auto send = weakly([overlay](AppDelegate& d, const Json& payload) {
        if (auto to = d.orUnderPointer(overlay.lock())) to->emit("nimbo:elements", payload);
    });
    auto finish = [reading, started, capture, send, &clock, &main = platform_.main()] {
        auto menus = Menus::forFront();
        auto file = FileFacts::front();
        const size_t count = reading->elements.is_array() ? reading->elements.size() : 0;
        const auto ms = static_cast<long long>((clock.now() - started) * 1000.0);
        std::string line = "nimbo: elements " + std::to_string(count) + " for capture " + std::to_string(capture) +
                           " in " + std::to_string(ms) + "ms";
        if (reading->document) line += " (a web page is in front)";
        line += menus ? ", " + std::to_string(menus->commands.size()) + " menu commands" : ", no menus read yet";
        Log::line(line);
        Json payload{{"capture", capture},
                     {"elements", std::move(reading->elements)},
                     {"document", reading->document ? Json(*reading->document) : Json(nullptr)},
                     {"menus", menus ? menus->commands : Json::array()},
                     {"app", menus ? Json(menus->app) : Json(nullptr)},
                     {"file", file ? *file : Json(nullptr)}};
        main.post([send, payload = std::move(payload)] { send(payload); });
    };
    auto arrived = [reading, finish](auto store) {
        std::unique_lock<std::mutex> held(reading->lock);
        store(*reading);
        if (--reading->left > 0) return;
        held.unlock();
        finish();
    };
    auto& queues = platform_.queues();
    queues.async(platform::Priority::userInitiated, [arrived] {
        auto document = Elements::frontDocument();
        arrived([&](Reading& r) { r.document = std::move(document); });
    });
    queues.async(platform::Priority::userInitiated, [arrived, shot, capture] {
        auto elements = Elements::build(shot.image, shot.bounds, capture);
        arrived([&](Reading& r) { r.elements = std::move(elements); });
    });
}

}  // namespace nimbo
