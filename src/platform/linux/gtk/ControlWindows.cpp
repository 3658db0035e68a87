#include "platform/linux/gtk/ControlWindows.h"

#include <algorithm>

#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/gtk/MenuWidgets.h"
#include "platform/linux/gtk/PageDialogs.h"
#include "platform/linux/x11/ScreenSpace.h"

namespace nimbo::x11 {
namespace {

// The content rectangle centred on the primary monitor, as a frame.
Rect centred(const Size& size) {
    const GdkRectangle area = primaryMonitorArea();
    const int width = static_cast<int>(size.width), height = static_cast<int>(size.height);
    return frameFromRootRect(area.x + std::max(0, (area.width - width) / 2),
                             area.y + std::max(0, (area.height - height) / 2), width, height);
}

}  // namespace

GtkControlWindow::GtkControlWindow(std::shared_ptr<WebPageWindow> window, const platform::ControlWindowOptions& options)
    : window_(std::move(window)) {
    GtkWindow* gtk = window_->gtkWindow();
    GdkGeometry hints{};
    hints.min_width = static_cast<int>(options.minimumSize.width);
    hints.min_height = static_cast<int>(options.minimumSize.height);
    gtk_window_set_geometry_hints(gtk, nullptr, &hints, GDK_HINT_MIN_SIZE);
    gtk_window_set_resizable(gtk, TRUE);
    if (!options.applicationName.empty()) {
        // "name/version" or a bare name, joined to the engine's own user agent.
        const std::string& name = options.applicationName;
        const auto slash = name.find('/');
        WebKitSettings* settings = webkit_web_view_get_settings(window_->webKitView().webView());
        webkit_settings_set_user_agent_with_application_details(
            settings, name.substr(0, slash).c_str(),
            slash == std::string::npos ? nullptr : name.substr(slash + 1).c_str());
    }
    window_->setCloseHandler([this] { userCloses(); });
    window_->setFullScreenHandler([this](bool entered) {
        if (!fullScreenChanged_) return;
        const auto handler = fullScreenChanged_;
        handler(entered ? platform::FullScreenChange::didEnter : platform::FullScreenChange::didExit);
    });
}

bool GtkControlWindow::isVisible() const {
    return window_->gtkWindow() && gtk_widget_get_visible(GTK_WIDGET(window_->gtkWindow()));
}

void GtkControlWindow::activate() {
    if (GtkWindow* gtk = window_->gtkWindow()) gtk_window_present(gtk);
}

void GtkControlWindow::toggleFullScreen() {
    if (fullScreenChanged_) {
        const auto handler = fullScreenChanged_;
        handler(window_->isFullScreen() ? platform::FullScreenChange::willExit : platform::FullScreenChange::willEnter);
    }
    window_->toggleFullScreen();
}

void GtkControlWindow::setFullScreenHandler(std::function<void(platform::FullScreenChange)> handler) {
    fullScreenChanged_ = std::move(handler);
}

platform::MouseEventKind GtkControlWindow::currentMouseEvent() const {
    return window_->leftPressPending() ? platform::MouseEventKind::leftMouseDown : platform::MouseEventKind::none;
}

void GtkControlWindow::miniaturize() {
    if (GtkWindow* gtk = window_->gtkWindow()) gtk_window_iconify(gtk);
}

void GtkControlWindow::zoom() {
    GtkWindow* gtk = window_->gtkWindow();
    if (!gtk) return;
    if (gtk_window_is_maximized(gtk)) {
        gtk_window_unmaximize(gtk);
    } else {
        gtk_window_maximize(gtk);
    }
}

std::optional<std::string> GtkControlWindow::titleBarDoubleClickAction() const {
    gchar* action = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-titlebar-double-click", &action, nullptr);
    const std::string setting = action ? action : "";
    g_free(action);
    if (setting == "toggle-maximize") return "Maximize";
    if (setting == "minimize") return "Minimize";
    if (setting == "none") return "None";
    return std::nullopt;
}

void GtkControlWindow::muteMedia() {
    WebKitWebView* view = window_->webKitView().webView();
    webkit_web_view_set_microphone_capture_state(view, WEBKIT_MEDIA_CAPTURE_STATE_NONE);
    window_->web().callAsync("for (const media of document.querySelectorAll('audio, video')) media.pause();",
                             Json::object());
}

void GtkControlWindow::runAlert(const std::string& message, std::function<void()> done) {
    x11::runAlert(window_->gtkWindow(), message, std::move(done));
}

void GtkControlWindow::runConfirm(const std::string& message, std::function<void(bool)> done) {
    x11::runConfirm(window_->gtkWindow(), message, std::move(done));
}

void GtkControlWindow::runOpenPanel(const platform::FileChooserRequest& request,
                                    std::function<void(std::vector<std::string>)> done) {
    x11::runOpenPanel(window_->gtkWindow(), request.allowsMultipleSelection, request.allowsDirectories,
                      std::move(done));
}

void GtkControlWindow::userCloses() {
    if (!shouldClose_ || shouldClose_()) window_->orderOut();
}

void GtkControlWindow::perform(const std::string& action) {
    WebKitWebView* view = window_->webKitView().webView();
    if (action == "undo:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_UNDO);
    } else if (action == "redo:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_REDO);
    } else if (action == "cut:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_CUT);
    } else if (action == "copy:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_COPY);
    } else if (action == "paste:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_PASTE);
    } else if (action == "selectAll:") {
        webkit_web_view_execute_editing_command(view, WEBKIT_EDITING_COMMAND_SELECT_ALL);
    } else if (action == "performClose:") {
        userCloses();
    } else if (action == "performMiniaturize:" || action == "hide:") {
        // X desktops hide an application's windows by minimising them.
        miniaturize();
    } else if (action == "toggleFullScreen:") {
        toggleFullScreen();
    }
}

void GtkControlWindow::setMenus(const std::vector<platform::MenuItem>& menus) {
    GtkAccelGroup* keys = gtk_accel_group_new();
    GtkWidget* bar = buildMenuBar(menus, keys, [this](const std::string& action) { perform(action); });
    GClosure* fullScreen =
        g_cclosure_new(G_CALLBACK(+[](GtkAccelGroup*, GObject*, guint, GdkModifierType, gpointer data) -> gboolean {
                           static_cast<GtkControlWindow*>(data)->toggleFullScreen();
                           return TRUE;
                       }),
                       this, nullptr);
    gtk_accel_group_connect(keys, GDK_KEY_F11, static_cast<GdkModifierType>(0), GTK_ACCEL_VISIBLE, fullScreen);
    window_->setMenuBar(bar, keys);
    g_object_unref(keys);  // the window holds it
}

std::shared_ptr<platform::ControlWindow> GtkControlWindows::make(const platform::ControlWindowOptions& options) {
    platform::PageWindowOptions page;
    page.frame = centred(options.contentSize);
    page.title = options.title;
    auto window = std::make_shared<WebPageWindow>(page, application_);
    application_.registerWindow(window);
    auto control = std::make_shared<GtkControlWindow>(window, options);
    if (!menus_.empty()) control->setMenus(menus_);
    std::erase_if(made_, [](const auto& weak) { return weak.expired(); });
    made_.push_back(control);
    return control;
}

void GtkControlWindows::install(const std::vector<platform::MenuItem>& menus) {
    menus_ = menus;
    for (const auto& weak : made_)
        if (auto control = weak.lock()) control->setMenus(menus_);
}

void GtkControlWindows::perform(const std::string& action) {
    for (const auto& weak : made_)
        if (auto control = weak.lock()) control->perform(action);
}

}  // namespace nimbo::x11
