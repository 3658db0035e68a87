#pragma once
// The control center's window: an ordinary GTK window (titled, resizable,
// full screen, decorated by the window manager) holding one web view, with
// the application's main menu as its menu bar, since X desktops have no
// global one. Its key equivalents are the bar's accelerators, Ctrl for
// Command; F11 toggles full screen as well.
#include <memory>
#include <vector>

#include "platform/ControlWindow.h"
#include "platform/StatusItem.h"
#include "platform/linux/gtk/WebPageWindow.h"

namespace nimbo::x11 {

class DesktopApplication;

class GtkControlWindow final : public platform::ControlWindow {
public:
    GtkControlWindow(std::shared_ptr<WebPageWindow> window, const platform::ControlWindowOptions& options);

    platform::PageWindow& page() override { return *window_; }
    bool isVisible() const override;
    void activate() override;
    bool isFullScreen() const override { return window_->isFullScreen(); }
    // X has no "will" notices: they are sent as the request goes out.
    void toggleFullScreen() override;
    void setFullScreenHandler(std::function<void(platform::FullScreenChange)> handler) override;
    void setShouldClose(std::function<bool()> handler) override { shouldClose_ = std::move(handler); }
    // The left press on the page that has not come up yet stands for the
    // application's current event.
    platform::MouseEventKind currentMouseEvent() const override;
    bool leftMouseButtonPressed() const override { return window_->leftButtonDown(); }
    void performDrag() override { window_->dragWithPointer(); }
    void miniaturize() override;
    void zoom() override;
    // GTK's "gtk-titlebar-double-click": toggle-maximize, minimize, none.
    std::optional<std::string> titleBarDoubleClickAction() const override;
    void muteMedia() override;
    void runAlert(const std::string& message, std::function<void()> done) override;
    void runConfirm(const std::string& message, std::function<void(bool)> done) override;
    void runOpenPanel(const platform::FileChooserRequest& request,
                      std::function<void(std::vector<std::string>)> done) override;

    // "undo:", "copy:", "performClose:", "toggleFullScreen:", ...
    void perform(const std::string& action);
    void setMenus(const std::vector<platform::MenuItem>& menus);
    WebPageWindow& window() { return *window_; }

private:
    void userCloses();

    std::shared_ptr<WebPageWindow> window_;
    std::function<bool()> shouldClose_;
    std::function<void(platform::FullScreenChange)> fullScreenChanged_;
};

// Makes the control window and keeps the main menu for it.
class GtkControlWindows final : public platform::ControlWindows, public platform::MenuBar {
public:
    explicit GtkControlWindows(DesktopApplication& application) : application_(application) {}
    std::shared_ptr<platform::ControlWindow> make(const platform::ControlWindowOptions& options) override;
    void install(const std::vector<platform::MenuItem>& menus) override;
    // A standard action chosen from a menu without a window of its own (the
    // panel item's): it goes to the control window, if there is one.
    void perform(const std::string& action);

private:
    DesktopApplication& application_;
    std::vector<std::weak_ptr<GtkControlWindow>> made_;
    std::vector<platform::MenuItem> menus_;
};

}  // namespace nimbo::x11
