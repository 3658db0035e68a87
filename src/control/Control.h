#pragma once
// The control center: the shell's one ordinary window, showing the server's
// "/control" page, kept loaded through server outages and renderer deaths.
// Every message of its page goes to `onMessage`; it never acts on the screen.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Json.h"
#include "platform/Platform.h"

namespace nimbo {

struct BridgeMessage;

class Control : public std::enable_shared_from_this<Control> {
    struct Passkey {};

public:
    using MessageHandler = std::function<void(Control&, const BridgeMessage&)>;

    // Builds window and page and starts loading `url`; the window is not shown.
    // Null when the desktop can't make the window.
    static std::shared_ptr<Control> make(platform::Platform& platform, const std::string& url,
                                         MessageHandler onMessage);
    Control(Passkey, platform::Platform& platform, std::shared_ptr<platform::ControlWindow> window, std::string home,
            MessageHandler onMessage);

    // The window as every page window of the shell is (order, key, sharing type).
    platform::PageWindow& window() { return window_->page(); }
    // What only this window does: full screen, dragging, dialogs.
    platform::ControlWindow& controlWindow() { return *window_; }
    platform::WebView& web() { return window_->page().web(); }
    const std::string& home() const { return home_; }

    void show();
    // Mutes the page and puts the window away, leaving full screen first;
    // true when it was in full screen.
    bool hide();
    // Loads a path of the page's own server ("/control#you"); anything that
    // is not a plain absolute path, or would land on another host or port,
    // does nothing.
    void go(const std::string& path);
    void emit(const std::string& channel, const MaybeJson& payload);
    void toggleFullScreen();
    // The page's own title area drags the window while the left button is down.
    void dragWindow();
    void titleDoubleClick();

    std::optional<double> diedAt;
    bool awayAfterFullScreen = false;
    bool reloadOnShow = false;
    platform::WorkHandle retry;
    double retryDelay = 2.0;

private:
    void start();
    void reload();
    void load(const std::string& url);
    void loadFailed(const platform::NavigationError& error);
    void loaded();
    void rendererDied();
    void fullScreenChanged(platform::FullScreenChange change);
    bool linkActivated(const std::string& url);
    void newWindowRequested(const std::string& url);

    platform::Platform& platform_;
    std::shared_ptr<platform::ControlWindow> window_;
    std::string home_;
    MessageHandler onMessage_;
};

}  // namespace nimbo
