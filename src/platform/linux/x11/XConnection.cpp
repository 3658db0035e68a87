#include "platform/linux/x11/XConnection.h"

#include <gdk/gdk.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace nimbo::x11 {
namespace {

// Xlib's error handlers are process-wide; GDK installed its own, which end
// the process on a lost connection. Ours take the errors of our connections
// and hand everything else on to the handlers that were there before.
XIOErrorHandler previousIOHandler = nullptr;
XErrorHandler previousErrorHandler = nullptr;
Display* trappedDisplay = nullptr;
int trappedCode = 0;

// Every display we opened, with its owner, until XCloseDisplay has returned.
std::vector<std::pair<Display*, XConnection*>>& openDisplays() {
    static std::vector<std::pair<Display*, XConnection*>> displays;
    return displays;
}

XConnection* ownerOf(Display* display) {
    for (const auto& [open, owner] : openDisplays())
        if (open == display) return owner;
    return nullptr;
}

// Errors outside a trap are of requests whose failure shows otherwise (an
// empty reply, a selection that isn't there), so they are dropped.
int onError(Display* display, XErrorEvent* error) {
    if (!ownerOf(display)) return previousErrorHandler ? previousErrorHandler(display, error) : 0;
    if (display == trappedDisplay && trappedCode == 0) trappedCode = error->error_code;
    return 0;
}

// Without this Xlib exits after the I/O error handler returns.
void keepRunning(Display*, void*) {}

struct EventSource {
    GSource base;
    std::weak_ptr<XConnection>* owner;
    gpointer fd;
};

}  // namespace

void XConnection::installHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    previousIOHandler = XSetIOErrorHandler(&XConnection::onIOError);
    previousErrorHandler = XSetErrorHandler(onError);
}

std::shared_ptr<XConnection> XConnection::open(EventHandler onEvent) {
    GdkDisplay* gdkDisplay = gdk_display_get_default();
    const char* name = gdkDisplay ? gdk_display_get_name(gdkDisplay) : nullptr;
    Display* display = XOpenDisplay(name);
    if (!display) return nullptr;
    installHandlers();
    XSetIOErrorExitHandler(display, keepRunning, nullptr);

    std::shared_ptr<XConnection> connection(new XConnection(std::move(onEvent)));
    connection->display_ = display;
    connection->root_ = DefaultRootWindow(display);
    openDisplays().emplace_back(display, connection.get());
    connection->attach();
    return connection;
}

XConnection::~XConnection() {
    close();
}

void XConnection::attach() {
    static GSourceFuncs funcs = {
        &XConnection::prepare,
        &XConnection::check,
        &XConnection::dispatch,
        [](GSource* source) { delete reinterpret_cast<EventSource*>(source)->owner; },
        nullptr,
        nullptr,
    };
    source_ = g_source_new(&funcs, sizeof(EventSource));
    auto* events = reinterpret_cast<EventSource*>(source_);
    events->owner = new std::weak_ptr<XConnection>(weak_from_this());
    events->fd = g_source_add_unix_fd(source_, ConnectionNumber(display_),
                                      static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR));
    g_source_set_name(source_, "nimbo X connection");
    g_source_attach(source_, nullptr);
}

void XConnection::close() {
    if (source_) {
        g_source_destroy(source_);
        g_source_unref(source_);
        source_ = nullptr;
    }
    if (!display_) return;
    Display* display = std::exchange(display_, nullptr);
    // Still registered while closing: closing a lost connection raises its
    // I/O error once more, and that one must not reach GDK's handler.
    XCloseDisplay(display);
    auto& displays = openDisplays();
    displays.erase(std::remove_if(displays.begin(), displays.end(),
                                  [display](const auto& entry) { return entry.first == display; }),
                   displays.end());
}

int XConnection::trapErrors(const std::function<void()>& requests) {
    if (!alive()) return -1;
    XSync(display_, False);  // errors of earlier requests are not these
    trappedDisplay = display_;
    trappedCode = 0;
    requests();
    if (alive()) XSync(display_, False);
    trappedDisplay = nullptr;
    return alive() ? trappedCode : -1;
}

// Events Xlib already read off the socket (during a round trip) wait in its
// queue without making the socket readable, so the queue is checked too.
// A connection found lost elsewhere (in a round trip) counts as ready, so
// that dispatch takes the source off instead of polling a hung-up socket.
gboolean XConnection::prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    auto connection = reinterpret_cast<EventSource*>(source)->owner->lock();
    return !connection || !connection->alive() || XQLength(connection->display_) > 0;
}

gboolean XConnection::check(GSource* source) {
    auto* events = reinterpret_cast<EventSource*>(source);
    auto connection = events->owner->lock();
    if (!connection || !connection->alive()) return TRUE;
    return XQLength(connection->display_) > 0 || g_source_query_unix_fd(source, events->fd) != 0;
}

gboolean XConnection::dispatch(GSource* source, GSourceFunc, gpointer) {
    auto connection = reinterpret_cast<EventSource*>(source)->owner->lock();
    if (!connection || !connection->alive()) return G_SOURCE_REMOVE;
    connection->drain();
    return connection->alive() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

void XConnection::drain() {
    // XPending reads the socket; a connection the server dropped shows up here
    // as an I/O error, which sets lost_.
    while (alive() && XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        onEvent_(event);  // may close this connection
    }
}

int XConnection::onIOError(Display* display) {
    if (XConnection* owner = ownerOf(display)) {
        owner->lost_ = true;
        return 0;
    }
    return previousIOHandler ? previousIOHandler(display) : 0;
}

}  // namespace nimbo::x11
