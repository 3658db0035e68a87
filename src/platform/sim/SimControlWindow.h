#pragma once
// The control center's window on the simulated desktop. Full-screen changes
// take their time as on a real desktop: a toggle announces the start, and
// `finishFullScreen` plays the end.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ControlWindow.h"
#include "platform/sim/SimWebView.h"

namespace nimbo::sim {

class SimControlWindow : public platform::ControlWindow {
public:
    SimControlWindow(const platform::ControlWindowOptions& made, SimWindows& windows);

    platform::PageWindow& page() override { return *window; }
    bool isVisible() const override { return window->visible; }
    void activate() override { ++activations; }
    bool isFullScreen() const override { return fullScreen; }
    void toggleFullScreen() override;
    void setFullScreenHandler(std::function<void(platform::FullScreenChange)> handler) override {
        fullScreenHandler_ = std::move(handler);
    }
    void setShouldClose(std::function<bool()> handler) override { shouldClose_ = std::move(handler); }
    platform::MouseEventKind currentMouseEvent() const override { return currentEvent; }
    bool leftMouseButtonPressed() const override { return leftPressed; }
    void performDrag() override { ++drags; }
    void miniaturize() override { ++miniaturizes; }
    void zoom() override { ++zooms; }
    std::optional<std::string> titleBarDoubleClickAction() const override { return doubleClickAction; }
    void muteMedia() override { ++mutes; }
    void runAlert(const std::string& message, std::function<void()> done) override;
    void runConfirm(const std::string& message, std::function<void(bool)> done) override;
    void runOpenPanel(const platform::FileChooserRequest& request,
                      std::function<void(std::vector<std::string>)> done) override;

    // The user clicks the close button; true when the window let itself close.
    bool userCloses();
    // The running full-screen change ends, or fails when `fails`.
    void finishFullScreen(bool fails = false);

    SimWebView& webView() { return window->webView; }

    platform::ControlWindowOptions options;
    std::shared_ptr<SimPageWindow> window;
    bool fullScreen = false;
    std::optional<bool> transition;  // entering (true) or leaving (false) full screen
    int activations = 0;
    int toggles = 0;
    platform::MouseEventKind currentEvent = platform::MouseEventKind::none;
    bool leftPressed = false;
    int drags = 0, miniaturizes = 0, zooms = 0, mutes = 0;
    std::optional<std::string> doubleClickAction;
    // The dialogs shown, in order ("alert: ...", "confirm: ...", "files: multiple directories").
    std::vector<std::string> dialogs;
    // Answers the last dialog as a user would.
    std::function<void()> answerAlert;
    std::function<void(bool)> answerConfirm;
    std::function<void(std::vector<std::string>)> answerOpenPanel;

private:
    void notify(platform::FullScreenChange change) {
        if (fullScreenHandler_) fullScreenHandler_(change);
    }
    std::function<void(platform::FullScreenChange)> fullScreenHandler_;
    std::function<bool()> shouldClose_;
};

class SimControlWindows : public platform::ControlWindows {
public:
    explicit SimControlWindows(SimWindows& windows) : windows_(windows) {}
    std::shared_ptr<platform::ControlWindow> make(const platform::ControlWindowOptions& options) override;

    std::vector<std::shared_ptr<SimControlWindow>> made;

private:
    SimWindows& windows_;
};

}  // namespace nimbo::sim
