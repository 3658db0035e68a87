#pragma once
// One transparent page window over one display (or over the caption's explicit
// frame). The page positions every mark from the display geometry it is given,
// so the window must sit exactly where it was asked to be.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "display/OverlayWindow.h"
#include "platform/Json.h"
#include "platform/Platform.h"

namespace nimbo {

struct BridgeMessage;

class Overlay : public std::enable_shared_from_this<Overlay> {
    struct Passkey {};

public:
    using MessageHandler = std::function<void(Overlay&, const BridgeMessage&)>;

    // Builds window and page and starts loading `url`. Without `frame` (top-left
    // coordinates) the window covers the whole display.
    static std::shared_ptr<Overlay> make(platform::Platform& platform, const platform::Screen& screen, std::string url,
                                         std::optional<Rect> frame, MessageHandler onMessage);
    Overlay(Passkey, platform::Platform& platform, const platform::Screen& screen, std::string url,
            std::optional<Rect> frame, MessageHandler onMessage);

    OverlayWindow& window() { return *window_; }
    platform::WebView& web() { return window_->page().web(); }
    const platform::Screen& screen() const { return screen_; }
    const Rect& intendedFrame() const { return intendedFrame_; }
    bool owns(const platform::PageWindow* window) const { return window == &window_->page(); }

    // Told when the page's renderer died, before the page is reloaded.
    std::function<void(Overlay&)> onRendererDied;

    void emit(const std::string& channel, const MaybeJson& payload);
    // Takes the mouse for a 2.5 s lease (solid) or gives mouse and keyboard back.
    void setInteractive(bool solid);
    // Re-places a drifted window and tells the page; true when it had drifted.
    bool keepPlaced(const std::string& reason);
    // The window's and the display's geometry, top-left coordinates: the payload of "nimbo:frame".
    Json frameInfo() const;
    // Takes the overlay down for good.
    void tearDown();

private:
    void start(const Rect& appKitFrame);
    void load();
    void loadAgain(const platform::NavigationError& error);
    void rendererDied();

    platform::Platform& platform_;
    std::shared_ptr<OverlayWindow> window_;
    platform::Screen screen_;
    Rect intendedFrame_;
    MessageHandler onMessage_;
    platform::WorkHandle leaseTimer_;
    std::string url_;
    platform::WorkHandle retry_;
    double retryDelay_ = 2.0;
};

}  // namespace nimbo
