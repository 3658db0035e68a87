#pragma once
#include <gtk/gtk.h>

#include <memory>

#include "platform/Windows.h"
#include "platform/linux/gtk/PaintedShape.h"
#include "platform/linux/gtk/WebKitView.h"

namespace nimbo::x11 {

class DesktopApplication;

// A GtkWindow holding one web view. Frames are kept in bottom-left
// coordinates and converted around the primary monitor.
//
// The options translate to X as: transparent, an undecorated window of an
// RGBA visual; a level above 0, keep-above; collection bit 1 (all
// workspaces), sticky; a non-activating panel or collection bit 64 (out of the
// window cycle), no taskbar or pager entry; a non-activating panel is typed a
// notification so window managers neither decorate nor tile it. No window
// takes the keyboard when shown. A transparent window without a compositing
// manager is shaped to what its page paints (PaintedShape).
//
// The frame is where the window really is: the one asked for until X answers
// the request, then wherever the server and window manager put it.
class WebPageWindow final : public platform::PageWindow, public std::enable_shared_from_this<WebPageWindow> {
public:
    WebPageWindow(const platform::PageWindowOptions& options, DesktopApplication& application);
    ~WebPageWindow() override;
    WebPageWindow(const WebPageWindow&) = delete;
    WebPageWindow& operator=(const WebPageWindow&) = delete;

    platform::WebView& web() override { return view_; }
    WebKitView& webKitView() { return view_; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    void orderBelow(long number) override;
    long windowNumber() const override;
    void close() override;
    bool ignoresMouse() const override { return ignoresMouse_; }
    void setIgnoresMouse(bool ignores) override;
    bool isKey() const override;
    void makeKey() override;
    void resignKey() override;
    // X cannot keep a window out of another client's capture; the shell's own
    // capture reads this to leave the window out.
    void setSharingType(platform::SharingType type) override { sharing_ = type; }
    platform::SharingType sharingType() const override { return sharing_; }
    bool isVisible() const override;
    bool isMiniaturized() const override;
    // X tells a client nothing about covering windows under a compositor:
    // mapped, with every ancestor, and not iconified stands for seen.
    bool isOnScreenVisible() const override;
    void setMouseDownHandler(std::function<void(Point)> handler) override { mouseDown_ = std::move(handler); }

    // An ordinary window's part: full screen, dragging by the page, closing
    // through the owner, a menu bar.
    void toggleFullScreen();
    bool isFullScreen() const { return fullScreen_; }
    // Told each time the window entered (true) or left full screen.
    void setFullScreenHandler(std::function<void(bool)> handler) { fullScreenChanged_ = std::move(handler); }
    // Whether the left button that last went down on the page has not come
    // up since, and whether it is down now.
    bool leftPressPending() const { return press_.time != 0; }
    bool leftButtonDown() const;
    // Moves the window with the pointer, as a title bar does, from where the
    // pending left press went down; false without one.
    bool dragWithPointer();
    // With a handler, closing from the title bar asks it and leaves the window
    // as it is; without one, closing hides the window.
    void setCloseHandler(std::function<void()> handler) { closeRequested_ = std::move(handler); }
    // Puts `bar` above the page (replacing an earlier one) and takes its
    // accelerators on this window.
    void setMenuBar(GtkWidget* bar, GtkAccelGroup* accelerators);

    GtkWindow* gtkWindow() const { return window_; }
    bool isClosed() const { return window_ == nullptr; }
    // Puts the default arrow on the window until the page asks for another.
    void showArrowCursor();

private:
    void applyOptions(const platform::PageWindowOptions& options);
    void focusNow();
    void notePlacement(const XConfigureEvent& event);
    static GdkFilterReturn onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer data);
    static gboolean onButtonPress(GtkWidget*, GdkEventButton* event, gpointer data);
    static gboolean onButtonRelease(GtkWidget*, GdkEventButton* event, gpointer data);
    static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data);
    static gboolean onMap(GtkWidget*, GdkEvent*, gpointer data);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data);
    static gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data);
    static void onDestroy(GtkWidget*, gpointer data);

    DesktopApplication& application_;
    GtkWindow* window_ = nullptr;  // owned by GTK's toplevel list until destroyed
    WebKitView view_;
    std::unique_ptr<PaintedShape> shape_;  // transparent windows only
    Rect frame_;
    // The X request serial of our last placement; configure notices older
    // than it are not its answer.
    unsigned long placedAt_ = 0;
    bool placing_ = false;
    bool ignoresMouse_ = false;
    bool focusWhenMapped_ = false;
    platform::SharingType sharing_ = platform::SharingType::readOnly;
    std::function<void(Point)> mouseDown_;
    std::function<void(bool)> fullScreenChanged_;
    std::function<void()> closeRequested_;
    bool fullScreen_ = false;
    // The last left press on the page, where a drag by the page starts.
    struct Press {
        double rootX = 0, rootY = 0;
        guint32 time = 0;
    } press_;
    GtkWidget* menuBar_ = nullptr;
    GtkAccelGroup* menuKeys_ = nullptr;
    unsigned long focusBefore_ = 0;  // the X window that had the keyboard before makeKey
};

}  // namespace nimbo::x11
