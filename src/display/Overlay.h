#pragma once
// One page window on one display (or the caption's explicit frame).
#include <functional>
#include <memory>
#include <string>

#include "platform/Json.h"
#include "platform/Platform.h"

namespace nimbo {

struct BridgeMessage;

class Overlay : public std::enable_shared_from_this<Overlay> {
public:
    using MessageHandler = std::function<void(Overlay&, const BridgeMessage&)>;

    Overlay(platform::Platform& platform, std::shared_ptr<platform::PageWindow> window);
    // Injects the page script and routes the page's messages to `onMessage`.
    void listen(MessageHandler onMessage);

    platform::PageWindow& window() { return *window_; }
    platform::WebView& web() { return window_->web(); }
    bool owns(const platform::PageWindow* window) const { return window == window_.get(); }

    void emit(const std::string& channel, const MaybeJson& payload);
    // Takes the mouse (solid) or gives it and the keyboard back.
    void setInteractive(bool solid);
    void handBackKeyboard();
    // Re-places a drifted window; true when it had drifted.
    bool keepPlaced(const std::string& reason);
    void tearDown();

private:
    std::shared_ptr<platform::PageWindow> window_;
};

}  // namespace nimbo
