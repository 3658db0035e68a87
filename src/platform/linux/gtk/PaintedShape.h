#pragma once
#include <X11/Xlib.h>
#include <gtk/gtk.h>

#include <vector>

namespace nimbo::x11 {

// An RGBA window is see-through only while a compositing manager blends it
// onto the desktop; without one the X server shows its clear pixels black,
// over everything below. So while no compositor runs, the window's X bounding
// shape is kept to what its content painted last (nothing before the first
// paint), and the desktop stays visible and clickable everywhere else. With a
// compositor the shape is dropped and translucency is the compositor's.
//
// The content is painted into a picture kept here and copied to the window,
// and the shape is read from the picture's alpha after each whole repaint:
// there is no timer, the cost comes only with the page's own repaints.
class PaintedShape {
public:
    // `window` is realized and holds `content`.
    PaintedShape(GtkWindow* window, GtkWidget* content);
    ~PaintedShape();
    PaintedShape(const PaintedShape&) = delete;
    PaintedShape& operator=(const PaintedShape&) = delete;

    // Whether the window is bounded to its painted area (no compositor).
    bool bounded() const { return !composited_; }

private:
    void follow(bool composited);
    void paint(cairo_t* cr, bool wholeWindow);
    void bound(std::vector<XRectangle> bands);
    void unbound();
    static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer data);
    static void onCompositedChanged(GdkScreen* screen, gpointer data);

    GtkWindow* window_;
    GtkWidget* content_;
    GdkScreen* screen_;
    bool composited_ = false;
    cairo_surface_t* painted_ = nullptr;  // device pixels, premultiplied ARGB32
    std::vector<XRectangle> bands_;       // the bounding shape last given to X
    bool shapeSet_ = false;
};

}  // namespace nimbo::x11
