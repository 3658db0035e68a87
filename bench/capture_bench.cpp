// What a press costs before the model sees the screen: Capture::grab of a
// 1920x1080 monitor (pointer drawn in) and Capture::modelDataURL (scale if
// needed, JPEG at 0.82, Base64), against scrot writing a JPEG of the same
// screen, run side by side.
// The screen shows a busy scene (text, gradients, colour blocks) painted on
// the root window, so neither encoder gets a flat picture. With --overlay a
// window of the shell paints a box over it, so the capture takes the path
// that leaves the shell's windows out.
//
//   bench/capture_bench [--runs N] [--overlay] [--keep FILE.png]   (inside scripts/with-desktop)
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cairo-xlib.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ask/Capture.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Text in several sizes over gradients and blocks, as a desktop has.
void paintScene(Display* display, int width, int height) {
    const Window root = DefaultRootWindow(display);
    const int screen = DefaultScreen(display);
    const Pixmap pixmap = XCreatePixmap(display, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(DefaultDepth(display, screen)));
    cairo_surface_t* surface =
        cairo_xlib_surface_create(display, pixmap, DefaultVisual(display, screen), width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, width, height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, 0.12, 0.2, 0.35);
    cairo_pattern_add_color_stop_rgb(gradient, 1, 0.75, 0.55, 0.3);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
    for (int block = 0; block < 40; ++block) {
        cairo_set_source_rgb(cr, (block * 37 % 100) / 100.0, (block * 61 % 100) / 100.0, (block * 17 % 100) / 100.0);
        cairo_rectangle(cr, (block * 211) % (width - 200), (block * 137) % (height - 120), 180, 100);
        cairo_fill(cr);
    }
    cairo_set_source_rgb(cr, 0.98, 0.98, 0.96);
    cairo_rectangle(cr, 120, 80, 1100, 900);
    cairo_fill(cr);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    for (int line = 0; line < 60; ++line) {
        cairo_set_source_rgb(cr, 0.1, 0.1, line % 7 == 0 ? 0.6 : 0.1);
        cairo_set_font_size(cr, 11 + line % 4 * 2);
        cairo_move_to(cr, 140, 105 + line * 14.5);
        cairo_show_text(cr, ("Line " + std::to_string(line) +
                             ": The quick brown fox jumps over the lazy dog, 0123456789 — settings, files, windows.")
                                .c_str());
    }
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XClearWindow(display, root);
    // Named as a wallpaper setter names it, so what the shell's windows cover
    // can be rebuilt; the pixmap lives as long as this connection.
    XChangeProperty(display, root, XInternAtom(display, "_XROOTPMAP_ID", False), XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSync(display, False);
}

void writePng(const nimbo::platform::Image& image, const char* path) {
    // Cairo's RGB24 is the same BGRX layout; it only reads the pixels here.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        const_cast<unsigned char*>(image.pixels->data()), CAIRO_FORMAT_RGB24, image.width, image.height, image.stride);
    cairo_surface_write_to_png(surface, path);
    cairo_surface_destroy(surface);
}

double runScrot(const std::string& file) {
    const auto start = Clock::now();
    const std::string command = "scrot -o -q 82 -p " + file;
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "scrot failed\n");
        std::exit(1);
    }
    return millisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 30;
    bool overlay = false;
    const char* keep = nullptr;  // the last capture as a PNG, to look at
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        if (!std::strcmp(argv[i], "--overlay")) overlay = true;
        if (!std::strcmp(argv[i], "--keep") && i + 1 < argc) keep = argv[++i];
    }
    auto platform = nimbo::x11::makePlatform(argc, argv);
    Display* display = XOpenDisplay(nullptr);
    paintScene(display, DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display)));

    GtkWidget* window = nullptr;
    if (overlay) {
        // A shell window painting a box: it must be left out of the capture.
        window = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_window_move(GTK_WINDOW(window), 400, 300);
        gtk_window_resize(GTK_WINDOW(window), 600, 300);
        gtk_widget_show_all(window);
        for (int i = 0; i < 50; ++i) g_main_context_iteration(nullptr, FALSE);
        XSync(display, False);
    }

    const auto screens = platform->screens().screens();
    const int width = static_cast<int>(screens.front().frame.size.width * screens.front().backingScale);
    const int height = static_cast<int>(screens.front().frame.size.height * screens.front().backingScale);
    const double pointsWide = screens.front().frame.size.width;
    const std::string scrotFile = std::string(g_get_tmp_dir()) + "/nimbo-bench-scrot.jpg";

    std::vector<double> ours, theirs, grabs, encodes;
    std::size_t urlLength = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        auto grab = nimbo::Capture::grab(*platform, screens.front(), std::nullopt);
        if (!grab.shot) {
            std::fprintf(stderr, "capture failed: %s\n", grab.error.description.c_str());
            return 1;
        }
        grabs.push_back(millisecondsSince(start));
        const auto encodeStart = Clock::now();
        auto url = nimbo::Capture::modelDataURL(platform->images(), grab.shot->image, pointsWide, 0.82);
        if (!url) {
            std::fprintf(stderr, "encoding failed\n");
            return 1;
        }
        encodes.push_back(millisecondsSince(encodeStart));
        ours.push_back(millisecondsSince(start));
        urlLength = url->size();
        if (keep && run == runs - 1) writePng(grab.shot->image, keep);
        theirs.push_back(runScrot(scrotFile));
    }
    const double oursMedian = median(ours), theirsMedian = median(theirs);
    std::printf("screen %dx%d%s, %d runs, data address %zu bytes\n", width, height,
                overlay ? " under a shell window painting a box" : "", runs, urlLength);
    std::printf("Capture::grab + Capture::modelDataURL:          median %.2f ms\n", oursMedian);
    std::printf("  of which grab %.2f ms, modelDataURL (scale-if-needed + JPEG 0.82 + Base64) %.2f ms\n", median(grabs),
                median(encodes));
    std::printf("scrot -o -q 82 -p FILE.jpg:                      median %.2f ms\n", theirsMedian);
    std::printf("ratio (scrot / ours): %.1fx\n", theirsMedian / oursMedian);
    if (window) gtk_widget_destroy(window);
    XCloseDisplay(display);
    return 0;
}
