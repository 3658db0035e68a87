#pragma once
// A private connection to the X server, its events dispatched from the GLib
// main loop. The key taps each keep one so their selections and grabs belong
// to them alone, and so a connection the server drops (xkill, a server reset)
// is reported instead of ending the process as Xlib and GDK would.
#include <X11/Xlib.h>
#include <glib.h>

#include <functional>
#include <memory>

namespace nimbo::x11 {

class XConnection : public std::enable_shared_from_this<XConnection> {
public:
    using EventHandler = std::function<void(XEvent&)>;

    // Opens the display GDK uses (or $DISPLAY); null when it can't be opened.
    // `onEvent` sees every event, on the main thread.
    static std::shared_ptr<XConnection> open(EventHandler onEvent);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // Null once closed or after the server dropped the connection.
    Display* display() const { return alive() ? display_ : nullptr; }
    bool alive() const { return display_ != nullptr && !lost_; }
    Window root() const { return root_; }
    // Stops the events and closes the display; safe from inside an event handler.
    void close();

    // Runs `requests` and answers the first X error code they caused (0 for
    // none). The errors don't reach the process-wide handler.
    int trapErrors(const std::function<void()>& requests);

private:
    explicit XConnection(EventHandler onEvent) : onEvent_(std::move(onEvent)) {}
    void attach();
    static gboolean dispatch(GSource* source, GSourceFunc, gpointer);
    static gboolean prepare(GSource* source, gint* timeout);
    static gboolean check(GSource* source);
    static void installHandlers();
    static int onIOError(Display* display);
    void drain();

    EventHandler onEvent_;
    Display* display_ = nullptr;
    Window root_ = 0;
    bool lost_ = false;
    GSource* source_ = nullptr;
};

}  // namespace nimbo::x11
