#include "platform/linux/gtk/PaintedShape.h"

#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>

#include "platform/linux/gtk/PaintedBands.h"

namespace nimbo::x11 {
namespace {

// Said once for the process, and again whenever a compositor starts or stops.
void sayHowWindowsShow(bool composited) {
    static std::optional<bool> said;
    if (said == composited) return;
    said = composited;
    std::fprintf(stderr,
                 composited ? "nimbo: a compositing manager runs — overlay windows are translucent\n"
                            : "nimbo: no compositing manager — overlay windows are shaped to what their pages paint\n");
}

}  // namespace

PaintedShape::PaintedShape(GtkWindow* window, GtkWidget* content)
    : window_(window), content_(content), screen_(gtk_widget_get_screen(GTK_WIDGET(window))) {
    g_signal_connect(window_, "draw", G_CALLBACK(onDraw), this);
    g_signal_connect(screen_, "composited-changed", G_CALLBACK(onCompositedChanged), this);
    composited_ = gdk_screen_is_composited(screen_);
    sayHowWindowsShow(composited_);
    // Nothing shows until the content has painted once.
    if (!composited_) bound({});
}

PaintedShape::~PaintedShape() {
    g_signal_handlers_disconnect_by_data(window_, this);
    g_signal_handlers_disconnect_by_data(screen_, this);
    if (painted_) cairo_surface_destroy(painted_);
}

void PaintedShape::follow(bool composited) {
    sayHowWindowsShow(composited);
    if (composited == composited_) return;
    composited_ = composited;
    if (composited) {
        unbound();
        if (painted_) cairo_surface_destroy(painted_);
        painted_ = nullptr;
    } else {
        bound({});
    }
    gtk_widget_queue_draw(GTK_WIDGET(window_));
}

gboolean PaintedShape::onDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<PaintedShape*>(data);
    if (self->composited_) return FALSE;  // drawn as usual
    GdkRectangle clip{};
    const bool clipped = gdk_cairo_get_clip_rectangle(cr, &clip);
    const bool whole =
        !clipped || (clip.x <= 0 && clip.y <= 0 && clip.x + clip.width >= gtk_widget_get_allocated_width(widget) &&
                     clip.y + clip.height >= gtk_widget_get_allocated_height(widget));
    self->paint(cr, whole);
    return TRUE;
}

// The web view paints whole frames only (a clipped draw of it paints nothing);
// a partial draw is the server asking again for what the last shape change
// uncovered, which the picture already holds.
void PaintedShape::paint(cairo_t* cr, bool wholeWindow) {
    GtkWidget* widget = GTK_WIDGET(window_);
    const int scale = gtk_widget_get_scale_factor(widget);
    const int width = gtk_widget_get_allocated_width(widget) * scale;
    const int height = gtk_widget_get_allocated_height(widget) * scale;
    if (!painted_ || cairo_image_surface_get_width(painted_) != width ||
        cairo_image_surface_get_height(painted_) != height) {
        if (painted_) cairo_surface_destroy(painted_);
        painted_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cairo_surface_set_device_scale(painted_, scale, scale);
        wholeWindow = true;
    }
    if (wholeWindow) {
        cairo_t* picture = cairo_create(painted_);
        cairo_set_operator(picture, CAIRO_OPERATOR_CLEAR);
        cairo_paint(picture);
        cairo_set_operator(picture, CAIRO_OPERATOR_OVER);
        gtk_widget_draw(content_, picture);
        cairo_destroy(picture);
        cairo_surface_flush(painted_);
        bound(paintedBands(cairo_image_surface_get_data(painted_), width, height,
                           cairo_image_surface_get_stride(painted_)));
    }
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, painted_, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void PaintedShape::bound(std::vector<XRectangle> bands) {
    if (shapeSet_ && bands.size() == bands_.size() &&
        std::equal(bands.begin(), bands.end(), bands_.begin(), [](const XRectangle& a, const XRectangle& b) {
            return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
        }))
        return;
    bands_ = std::move(bands);
    shapeSet_ = true;
    // Set on the X window directly: GDK would take a shape of its own as the
    // window's clip, and never repaint what the page starts to draw outside it.
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    XShapeCombineRectangles(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow), ShapeBounding, 0, 0,
                            bands_.data(), static_cast<int>(bands_.size()), ShapeSet, YXBanded);
}

void PaintedShape::unbound() {
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window_));
    XShapeCombineMask(GDK_WINDOW_XDISPLAY(gdkWindow), GDK_WINDOW_XID(gdkWindow), ShapeBounding, 0, 0, None, ShapeSet);
    bands_.clear();
    shapeSet_ = false;
}

void PaintedShape::onCompositedChanged(GdkScreen* screen, gpointer data) {
    static_cast<PaintedShape*>(data)->follow(gdk_screen_is_composited(screen));
}

}  // namespace nimbo::x11
