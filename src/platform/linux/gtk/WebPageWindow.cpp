#include "platform/linux/gtk/WebPageWindow.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/linux/gtk/DesktopApplication.h"
#include "platform/linux/x11/ScreenSpace.h"

namespace nimbo::x11 {

WebPageWindow::WebPageWindow(const platform::PageWindowOptions& options, DesktopApplication& application)
    : application_(application), view_(options.transparent), frame_(options.frame) {
    window_ = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    gtk_window_set_title(window_, options.title.c_str());
    // Showing a window never takes the keyboard; makeKey does that explicitly.
    gtk_window_set_focus_on_map(window_, FALSE);
    applyOptions(options);
    gtk_container_add(GTK_CONTAINER(window_), view_.widget());
    gtk_widget_show(view_.widget());

    const GdkRectangle rect = rootRectFromFrame(frame_);
    gtk_window_set_default_size(window_, std::max(1, rect.width), std::max(1, rect.height));

    g_signal_connect(window_, "key-press-event", G_CALLBACK(onKey), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(onKey), this);
    g_signal_connect(window_, "map-event", G_CALLBACK(onMap), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(onWindowState), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(onDestroy), this);
    // The view's handler runs before WebKit's own, so the mouse-down is told first.
    g_signal_connect(view_.widget(), "button-press-event", G_CALLBACK(onButtonPress), this);
    g_signal_connect(view_.widget(), "button-release-event", G_CALLBACK(onButtonRelease), this);
    gtk_widget_realize(GTK_WIDGET(window_));
    gdk_window_add_filter(gtk_widget_get_window(GTK_WIDGET(window_)), onXEvent, this);
    setFrame(frame_);
    if (options.transparent) {
        shape_ = std::make_unique<PaintedShape>(window_, view_.widget());
        // Compositors that draw shadows on undecorated windows (picom, compton)
        // leave out a window that asks so.
        GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
        const unsigned long none = 0;
        XChangeProperty(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow),
                        gdk_x11_get_xatom_by_name_for_display(gdk_window_get_display(gdkWindow), "_COMPTON_SHADOW"),
                        XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&none), 1);
    }
}

void WebPageWindow::applyOptions(const platform::PageWindowOptions& options) {
    if (options.transparent) {
        GdkScreen* screen = gtk_widget_get_screen(GTK_WIDGET(window_));
        if (GdkVisual* rgba = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(GTK_WIDGET(window_), rgba);
        gtk_widget_set_app_paintable(GTK_WIDGET(window_), TRUE);
        gtk_window_set_decorated(window_, FALSE);
    }
    if (options.level > 0) gtk_window_set_keep_above(window_, TRUE);
    if (options.collectionBehavior & 1U) gtk_window_stick(window_);
    if (options.nonActivating || (options.collectionBehavior & 64U)) {
        gtk_window_set_skip_taskbar_hint(window_, TRUE);
        gtk_window_set_skip_pager_hint(window_, TRUE);
    }
    if (options.nonActivating) gtk_window_set_type_hint(window_, GDK_WINDOW_TYPE_HINT_NOTIFICATION);
}

WebPageWindow::~WebPageWindow() {
    if (window_) {
        shape_.reset();
        gdk_window_remove_filter(gtk_widget_get_window(GTK_WIDGET(window_)), onXEvent, this);
        g_signal_handlers_disconnect_by_data(window_, this);
        g_signal_handlers_disconnect_by_data(view_.widget(), this);
        GtkWidget* widget = GTK_WIDGET(window_);
        window_ = nullptr;
        view_.detach();
        gtk_widget_destroy(widget);
    }
}

void WebPageWindow::setFrame(const Rect& frame) {
    frame_ = frame;
    if (!window_) return;
    const GdkRectangle rect = rootRectFromFrame(frame);
    const int width = std::max(1, rect.width), height = std::max(1, rect.height);
    gtk_window_move(window_, rect.x, rect.y);
    gtk_window_resize(window_, width, height);
    // Asked now in one request rather than at GTK's next layout, so that the
    // answer can be told from notices about earlier requests.
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    placedAt_ = NextRequest(GDK_WINDOW_XDISPLAY(gdkWindow));
    placing_ = true;
    gdk_window_move_resize(gdkWindow, rect.x, rect.y, width, height);
}

void WebPageWindow::orderFront() {
    if (!window_) return;
    gtk_widget_show(GTK_WIDGET(window_));
    if (GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_))) gdk_window_raise(gdkWindow);
}

void WebPageWindow::orderOut() {
    if (window_) gtk_widget_hide(GTK_WIDGET(window_));
}

void WebPageWindow::orderBelow(long number) {
    if (!window_) return;
    std::shared_ptr<WebPageWindow> sibling;
    for (const auto& window : application_.windows()) {
        if (window.get() != this && window->windowNumber() == number &&
            gtk_widget_get_mapped(GTK_WIDGET(window->gtkWindow())))
            sibling = window;
    }
    gtk_widget_show(GTK_WIDGET(window_));
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    if (sibling && gdkWindow) {
        // Mapping put the window on top; the server takes the restack after it.
        gdk_window_restack(gdkWindow, gtk_widget_get_window(GTK_WIDGET(sibling->gtkWindow())), FALSE);
    }
}

long WebPageWindow::windowNumber() const {
    if (!window_) return 0;
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    return gdkWindow ? static_cast<long>(gdk_x11_window_get_xid(gdkWindow)) : 0;
}

bool WebPageWindow::isVisible() const {
    return window_ && gtk_widget_get_visible(GTK_WIDGET(window_));
}

bool WebPageWindow::isMiniaturized() const {
    GdkWindow* gdkWindow = window_ ? gtk_widget_get_window(GTK_WIDGET(window_)) : nullptr;
    return gdkWindow && (gdk_window_get_state(gdkWindow) & GDK_WINDOW_STATE_ICONIFIED) != 0;
}

bool WebPageWindow::isOnScreenVisible() const {
    GdkWindow* gdkWindow = window_ ? gtk_widget_get_window(GTK_WIDGET(window_)) : nullptr;
    return gdkWindow && gdk_window_is_viewable(gdkWindow) && !isMiniaturized();
}

void WebPageWindow::close() {
    if (!window_) return;
    gtk_widget_destroy(GTK_WIDGET(window_));  // onDestroy clears window_
}

void WebPageWindow::setIgnoresMouse(bool ignores) {
    ignoresMouse_ = ignores;
    if (!window_) return;
    if (ignores) {
        cairo_region_t* empty = cairo_region_create();
        gtk_widget_input_shape_combine_region(GTK_WIDGET(window_), empty);
        cairo_region_destroy(empty);
    } else {
        gtk_widget_input_shape_combine_region(GTK_WIDGET(window_), nullptr);  // the whole window again
    }
}

void WebPageWindow::showArrowCursor() {
    if (!window_) return;
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window_));
    GdkCursor* arrow = gdk_cursor_new_from_name(display, "default");
    // The page sets its cursors on the view's own window when it has one.
    for (GtkWidget* widget : {GTK_WIDGET(window_), view_.widget()}) {
        if (GdkWindow* gdkWindow = gtk_widget_get_window(widget)) gdk_window_set_cursor(gdkWindow, arrow);
    }
    if (arrow) g_object_unref(arrow);
}

bool WebPageWindow::isKey() const {
    return window_ && gtk_window_is_active(window_);
}

void WebPageWindow::makeKey() {
    if (!window_) return;
    // Remember who had the keyboard so resignKey can hand it back.
    if (!isKey()) {
        Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
        Window focus = 0;
        int revert = 0;
        XGetInputFocus(display, &focus, &revert);
        if (!application_.ownsXWindow(focus)) focusBefore_ = focus;
    }
    if (gtk_widget_get_mapped(GTK_WIDGET(window_))) {
        focusNow();
    } else {
        // Focusing an unmapped window fails on X; finish once it is on screen.
        focusWhenMapped_ = true;
        gtk_widget_show(GTK_WIDGET(window_));
    }
}

void WebPageWindow::focusNow() {
    focusWhenMapped_ = false;
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    if (!gdkWindow) return;
    gdk_window_focus(gdkWindow, gtk_get_current_event_time());
}

void WebPageWindow::resignKey() {
    focusWhenMapped_ = false;
    if (!isKey()) return;
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    GdkScreen* screen = gdk_display_get_default_screen(gdkDisplay);
    const Window previous = static_cast<Window>(focusBefore_);
    focusBefore_ = 0;
    gdk_x11_display_error_trap_push(gdkDisplay);
    if (previous != 0 && previous != PointerRoot) {
        if (gdk_x11_screen_supports_net_wm_hint(screen, gdk_atom_intern_static_string("_NET_ACTIVE_WINDOW"))) {
            // Ask the window manager, as a pager would (source indication 2).
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = previous;
            event.xclient.message_type = gdk_x11_get_xatom_by_name_for_display(gdkDisplay, "_NET_ACTIVE_WINDOW");
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, gdk_x11_get_default_root_xwindow(), False,
                       SubstructureRedirectMask | SubstructureNotifyMask, &event);
        } else {
            XSetInputFocus(display, previous, RevertToPointerRoot, CurrentTime);
        }
    } else {
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    }
    XFlush(display);
    if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0) {
        // The window we meant to hand back to is gone; let the pointer decide.
        XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
        XFlush(display);
    }
}

gboolean WebPageWindow::onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* self = static_cast<WebPageWindow*>(data);
    return self->application_.dispatchKey(self->weak_from_this().lock(), event) ? TRUE : FALSE;
}

gboolean WebPageWindow::onButtonPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    auto* self = static_cast<WebPageWindow*>(data);
    // Double clicks arrive as a second press and then a 2BUTTON_PRESS; only presses count.
    if (event->type != GDK_BUTTON_PRESS || event->button != GDK_BUTTON_PRIMARY || !self->window_) return FALSE;
    self->press_ = {event->x_root, event->y_root, event->time};
    if (!self->mouseDown_) return FALSE;
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(self->window_));
    int originX = 0, originY = 0;
    gdk_window_get_origin(gdkWindow, &originX, &originY);
    const double x = event->x_root - originX;
    const double y = event->y_root - originY;
    // Window coordinates start at the bottom-left corner.
    const auto handler = self->mouseDown_;
    handler(Point{x, gdk_window_get_height(gdkWindow) - y});
    return FALSE;
}

GdkFilterReturn WebPageWindow::onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer data) {
    const auto* event = static_cast<const XEvent*>(xevent);
    if (event->type == ConfigureNotify) static_cast<WebPageWindow*>(data)->notePlacement(event->xconfigure);
    return GDK_FILTER_CONTINUE;
}

// Every configure notice from the answer to our last request on tells where
// the window is now: where the server put it, or where a window manager did
// (one that keeps windows off a panel answers with a place of its own).
void WebPageWindow::notePlacement(const XConfigureEvent& event) {
    if (placing_ && static_cast<long>(event.serial - placedAt_) < 0) return;
    placing_ = false;
    // The notice's own x and y are relative to a window manager's frame, or
    // root-relative when the window manager sent it; ask the server instead.
    Display* display = event.display;
    GdkDisplay* gdkDisplay = gdk_x11_lookup_xdisplay(display);
    int x = 0, y = 0;
    Window child = 0;
    gdk_x11_display_error_trap_push(gdkDisplay);
    const bool known = XTranslateCoordinates(display, event.window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0 || !known) return;
    const int scale = windowScale();
    frame_ = frameFromRootRect(x / scale, y / scale, event.width / scale, event.height / scale);
}

gboolean WebPageWindow::onMap(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<WebPageWindow*>(data);
    // The input shape lives on the GdkWindow; make sure a remap keeps it.
    if (self->ignoresMouse_) self->setIgnoresMouse(true);
    if (self->focusWhenMapped_) self->focusNow();
    return FALSE;
}

gboolean WebPageWindow::onDelete(GtkWidget* widget, GdkEvent*, gpointer data) {
    // The core owns the window's life: closing from the title bar asks it, or
    // hides the window; its page stays loaded either way.
    auto* self = static_cast<WebPageWindow*>(data);
    if (self->closeRequested_) {
        const auto handler = self->closeRequested_;
        handler();
    } else {
        gtk_widget_hide(widget);
    }
    return TRUE;
}

gboolean WebPageWindow::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<WebPageWindow*>(data);
    if (!(event->changed_mask & GDK_WINDOW_STATE_FULLSCREEN)) return FALSE;
    self->fullScreen_ = (event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN) != 0;
    if (self->fullScreenChanged_) {
        const auto handler = self->fullScreenChanged_;
        handler(self->fullScreen_);
    }
    return FALSE;
}

void WebPageWindow::toggleFullScreen() {
    if (!window_) return;
    if (fullScreen_) {
        gtk_window_unfullscreen(window_);
    } else {
        gtk_window_fullscreen(window_);
    }
}

gboolean WebPageWindow::onButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data) {
    if (event->button == GDK_BUTTON_PRIMARY) static_cast<WebPageWindow*>(data)->press_ = {};
    return FALSE;
}

bool WebPageWindow::leftButtonDown() const {
    if (!window_) return false;
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(GTK_WIDGET(window_)));
    GdkModifierType state{};
    gdk_window_get_device_position(gdkWindow, gdk_seat_get_pointer(seat), nullptr, nullptr, &state);
    return (state & GDK_BUTTON1_MASK) != 0;
}

bool WebPageWindow::dragWithPointer() {
    if (!window_ || press_.time == 0) return false;
    // Window managers move the window themselves (_NET_WM_MOVERESIZE); GDK
    // follows the pointer itself where there is none.
    gtk_window_begin_move_drag(window_, GDK_BUTTON_PRIMARY, static_cast<int>(press_.rootX),
                               static_cast<int>(press_.rootY), press_.time);
    press_ = {};  // its release ends the move, not a click on the page
    return true;
}

void WebPageWindow::setMenuBar(GtkWidget* bar, GtkAccelGroup* accelerators) {
    if (!window_) return;
    if (menuBar_) {
        gtk_widget_destroy(menuBar_);
    } else {
        // The page moves into a box under the bar.
        GtkWidget* page = view_.widget();
        g_object_ref(page);
        gtk_container_remove(GTK_CONTAINER(window_), page);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_box_pack_end(GTK_BOX(box), page, TRUE, TRUE, 0);
        g_object_unref(page);
        gtk_container_add(GTK_CONTAINER(window_), box);
        gtk_widget_show(box);
    }
    menuBar_ = bar;
    gtk_box_pack_start(GTK_BOX(gtk_widget_get_parent(view_.widget())), bar, FALSE, FALSE, 0);
    gtk_widget_show_all(bar);
    if (menuKeys_) gtk_window_remove_accel_group(window_, menuKeys_);
    menuKeys_ = accelerators;
    if (accelerators) gtk_window_add_accel_group(window_, accelerators);
}

void WebPageWindow::onDestroy(GtkWidget* widget, gpointer data) {
    auto* self = static_cast<WebPageWindow*>(data);
    self->shape_.reset();
    if (GdkWindow* gdkWindow = gtk_widget_get_window(widget)) gdk_window_remove_filter(gdkWindow, onXEvent, self);
    self->view_.detach();
    self->window_ = nullptr;
}

}  // namespace nimbo::x11
