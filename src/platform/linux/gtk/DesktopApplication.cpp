#include "platform/linux/gtk/DesktopApplication.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkkeysyms.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

#include "platform/linux/glib/CancelToken.h"
#include "platform/linux/gtk/WebPageWindow.h"
#include "platform/linux/system/TerminationSignals.h"
#include "platform/linux/x11/KeyCodes.h"
#include "platform/linux/x11/XProperties.h"

namespace nimbo::x11 {
namespace {

template <typename List>
void prune(List& list) {
    list.erase(std::remove_if(list.begin(), list.end(), [](const auto& entry) { return entry->removed; }), list.end());
}

// The list owns the entry; the token only marks it removed, so a token that
// outlives the application is still safe to cancel. Removed entries are
// dropped at the next registration.
template <typename List>
platform::WorkHandle tokenFor(List& list, typename List::value_type entry) {
    prune(list);
    list.push_back(entry);
    std::weak_ptr<typename List::value_type::element_type> weak = entry;
    return std::make_shared<CancelToken>([weak] {
        if (auto strong = weak.lock()) strong->removed = true;
    });
}

}  // namespace

DesktopApplication::DesktopApplication() = default;

DesktopApplication::~DesktopApplication() {
    if (watchingRoot_) gdk_window_remove_filter(gdk_get_default_root_window(), rootFilter, this);
    if (GdkScreen* screen = gdk_screen_get_default()) {
        if (monitorsChanged_) g_signal_handler_disconnect(screen, monitorsChanged_);
        if (sizeChanged_) g_signal_handler_disconnect(screen, sizeChanged_);
    }
    if (screenIdle_) g_source_remove(screenIdle_);
}

void DesktopApplication::setActivationPolicyRegular() {
    // An ordinary application: its windows get a taskbar entry and its name in the shell.
    g_set_application_name("nimbo");
    if (!g_get_prgname()) g_set_prgname("nimbo");
}

bool DesktopApplication::handOverToRunningInstance() {
    if (!claim_) claim_ = instance_.claim();
    return *claim_ == SingleInstance::Claim::handedOver;
}

int DesktopApplication::run() {
    if (quitBeforeRun_) return 0;
    // The shell already running in this session takes the launch over: this one
    // never finishes launching, so it neither reports nor builds anything.
    if (handOverToRunningInstance()) {
        claim_.reset();
        return 0;
    }
    const guint term = g_unix_signal_add(SIGTERM, onSignal, this);
    const guint interrupt = g_unix_signal_add(SIGINT, onSignal, this);
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            auto* self = static_cast<DesktopApplication*>(data);
            self->launched_ = true;
            if (self->delegate_) self->delegate_->applicationDidFinishLaunching();
            if (std::exchange(self->reopenPending_, false)) self->reopen();
            // A quit asked for during start-up is carried out now, after the launch.
            if (releaseTerminationSignals()) self->requestTerminate();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
    running_ = true;
    gtk_main();
    running_ = false;
    launched_ = false;
    reopenPending_ = false;
    instance_.release();
    claim_.reset();
    g_source_remove(term);
    g_source_remove(interrupt);
    return 0;
}

void DesktopApplication::reopen() {
    // A second launch can get through between taking the name and the loop's first
    // turn; the delegate hears of it only after it has finished launching.
    if (!launched_) {
        reopenPending_ = true;
        return;
    }
    if (delegate_) delegate_->applicationShouldHandleReopen(hasVisibleWindows());
}

bool DesktopApplication::hasVisibleWindows() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& weak) {
        auto window = weak.lock();
        return window && !window->isClosed() && gtk_widget_get_visible(GTK_WIDGET(window->gtkWindow()));
    });
}

gboolean DesktopApplication::onSignal(gpointer data) {
    static_cast<DesktopApplication*>(data)->requestTerminate();
    return G_SOURCE_CONTINUE;
}

void DesktopApplication::requestTerminate() {
    if (!delegate_) {
        terminate();
        return;
    }
    switch (delegate_->applicationShouldTerminate()) {
        case platform::TerminateReply::now:
            terminate();
            break;
        case platform::TerminateReply::cancel:
            break;
        case platform::TerminateReply::later:
            awaitingReply_ = true;
            break;
    }
}

void DesktopApplication::replyToApplicationShouldTerminate(bool shouldTerminate) {
    if (!awaitingReply_) return;
    awaitingReply_ = false;
    if (shouldTerminate) terminate();
}

void DesktopApplication::terminate() {
    if (delegate_) delegate_->applicationWillTerminate();
    if (running_) {
        gtk_main_quit();
    } else {
        quitBeforeRun_ = true;
    }
}

void DesktopApplication::registerWindow(const std::shared_ptr<WebPageWindow>& window) {
    windows_.erase(std::remove_if(windows_.begin(), windows_.end(),
                                  [](const auto& weak) {
                                      auto strong = weak.lock();
                                      return !strong || strong->isClosed();
                                  }),
                   windows_.end());
    windows_.push_back(window);
}

std::shared_ptr<platform::PageWindow> DesktopApplication::keyWindow() const {
    for (const auto& weak : windows_) {
        if (auto window = weak.lock(); window && window->isKey()) return window;
    }
    return nullptr;
}

bool DesktopApplication::ownsXWindow(unsigned long xwindow) const {
    if (xwindow == None || xwindow == PointerRoot) return false;
    for (const auto& weak : windows_) {
        auto window = weak.lock();
        if (!window || window->isClosed()) continue;
        GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window->gtkWindow()));
        if (gdkWindow && GDK_WINDOW_XID(gdkWindow) == xwindow) return true;
    }
    return false;
}

std::vector<std::shared_ptr<WebPageWindow>> DesktopApplication::windows() const {
    std::vector<std::shared_ptr<WebPageWindow>> live;
    for (const auto& weak : windows_) {
        if (auto window = weak.lock(); window && !window->isClosed()) live.push_back(std::move(window));
    }
    return live;
}

platform::WorkHandle DesktopApplication::addLocalKeyMonitor(std::function<bool(const platform::KeyEvent&)> handler) {
    return tokenFor(keyMonitors_, std::make_shared<KeyEntry>(KeyEntry{std::move(handler)}));
}

bool DesktopApplication::dispatchKey(const std::shared_ptr<WebPageWindow>& window, const GdkEventKey* event) {
    platform::KeyEvent key;
    key.type = event->type == GDK_KEY_RELEASE ? platform::KeyEventType::keyUp : platform::KeyEventType::keyDown;
    key.keyCode = virtualKeyCode(event->hardware_keycode);
    key.window = window;
    // Monitors see the event in the order they were added; the first that
    // swallows it ends its journey.
    auto monitors = keyMonitors_;
    for (const auto& monitor : monitors) {
        if (monitor->removed) continue;
        if (monitor->handler(key)) return true;
    }
    // The quit accelerator of the shell's windows.
    const GdkModifierType modifiers = gtk_accelerator_get_default_mod_mask();
    if (event->type == GDK_KEY_PRESS && (event->state & modifiers) == GDK_CONTROL_MASK &&
        gdk_keyval_to_lower(event->keyval) == GDK_KEY_q) {
        requestTerminate();
        return true;
    }
    return false;
}

platform::WorkHandle DesktopApplication::observeFrontApplication(
    std::function<void(const std::optional<platform::RunningApp>&)> handler) {
    watchRootWindow(GDK_PROPERTY_CHANGE_MASK);
    if (auto now = activeApplication()) lastFrontPid_ = now->pid;
    return tokenFor(frontObservers_, std::make_shared<FrontEntry>(FrontEntry{std::move(handler)}));
}

void DesktopApplication::watchRootWindow(GdkEventMask mask) {
    GdkWindow* root = gdk_get_default_root_window();
    // Adds to what GDK selects on the root window for itself.
    gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | mask));
    if (watchingRoot_) return;
    watchingRoot_ = true;
    gdk_window_add_filter(root, rootFilter, this);
}

GdkFilterReturn DesktopApplication::rootFilter(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    auto* self = static_cast<DesktopApplication*>(data);
    auto* event = static_cast<XEvent*>(xevent);
    if (event->type == PropertyNotify) {
        static Atom active = None;
        if (active == None) active = gdk_x11_get_xatom_by_name("_NET_ACTIVE_WINDOW");
        if (event->xproperty.atom == active) self->frontMayHaveChanged();
    } else if (event->type == ConfigureNotify ||
               (self->randrEventBase_ >= 0 && (event->type == self->randrEventBase_ + RRScreenChangeNotify ||
                                               event->type == self->randrEventBase_ + RRNotify))) {
        if (!self->screenObservers_.empty()) self->screenChanged();
    }
    return GDK_FILTER_CONTINUE;
}

std::optional<platform::RunningApp> DesktopApplication::activeApplication() {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    if (!gdkDisplay || !GDK_IS_X11_DISPLAY(gdkDisplay)) return std::nullopt;
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    const auto active =
        windowProperty(display, gdk_x11_get_default_root_xwindow(),
                       gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (active.empty() || active[0] == None) return std::nullopt;
    const Window window = active[0];

    // The window may be gone by the time we read it.
    gdk_x11_display_error_trap_push(gdkDisplay);
    const auto pid =
        windowProperty(display, window, gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_PID"), XA_CARDINAL);
    std::string name;
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint)) {
        if (hint.res_class && hint.res_class[0]) {
            name = hint.res_class;
        } else if (hint.res_name) {
            name = hint.res_name;
        }
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    }
    if (name.empty()) {
        name = textProperty(display, window, gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_WM_NAME"),
                            gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "UTF8_STRING"));
    }
    gdk_x11_display_error_trap_pop_ignored(gdkDisplay);

    if (pid.empty() || pid[0] == 0) return std::nullopt;
    return platform::RunningApp{static_cast<int>(pid[0]), name};
}

void DesktopApplication::frontMayHaveChanged() {
    const auto now = activeApplication();
    const std::optional<int> pid = now ? std::optional<int>(now->pid) : std::nullopt;
    // Another window of the same application is not an application change.
    if (pid == lastFrontPid_) return;
    lastFrontPid_ = pid;
    auto observers = frontObservers_;
    for (const auto& observer : observers)
        if (!observer->removed) observer->handler(now);
}

platform::WorkHandle DesktopApplication::observeScreenParameters(std::function<void()> handler) {
    if (!monitorsChanged_) {
        GdkScreen* screen = gdk_screen_get_default();
        auto changed = +[](GdkScreen*, gpointer data) { static_cast<DesktopApplication*>(data)->screenChanged(); };
        monitorsChanged_ = g_signal_connect(screen, "monitors-changed", G_CALLBACK(changed), this);
        sizeChanged_ = g_signal_connect(screen, "size-changed", G_CALLBACK(changed), this);
        // GDK reads RandR's own events but not the monitor list's edits; watch both here.
        Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
        int errorBase = 0;
        if (!XRRQueryExtension(display, &randrEventBase_, &errorBase)) randrEventBase_ = -1;
        watchRootWindow(GDK_STRUCTURE_MASK);
    }
    return tokenFor(screenObservers_, std::make_shared<ScreenEntry>(ScreenEntry{std::move(handler)}));
}

void DesktopApplication::screenChanged() {
    // One RandR change raises several signals (the monitors, the screen size);
    // tell the observers once, after GDK has taken in every pending event.
    if (screenIdle_) return;
    screenIdle_ = g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            auto* self = static_cast<DesktopApplication*>(data);
            self->screenIdle_ = 0;
            auto observers = self->screenObservers_;
            for (const auto& observer : observers)
                if (!observer->removed) observer->handler();
            return G_SOURCE_REMOVE;
        },
        this, nullptr);
}

int DesktopApplication::processId() const {
    return static_cast<int>(::getpid());
}

}  // namespace nimbo::x11
