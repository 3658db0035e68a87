// The screen capture on a real X server: the shell's own windows are left out
// (without a compositing manager and under xcompmgr), the one asked for stays,
// the pointer is drawn in on request, sizes and colours come out right and the
// JPEG decodes. Captures are kept as PNGs beside the screen shots.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <cstdio>

#include "Desktop.h"
#include "OverlayOverAWindow.h"
#include "TextPicture.h"

namespace nimbo::test {
namespace {

long long firstDisplay() {
    return *desktop().screens().screens().front().number;
}

platform::Image capture(std::optional<long> including = std::nullopt, bool cursor = false, int width = 1920,
                        int height = 1080) {
    auto grab = desktop().screenCapture().capture(firstDisplay(), width, height, including, cursor);
    EXPECT_TRUE(grab.image) << grab.error;
    return grab.image.value_or(platform::Image{});
}

ScreenShot probeIn(const platform::Image& image) {
    return ScreenShot::of(image, kProbeX, kProbeY, kProbeWidth, kProbeHeight);
}

// Width, height and the colour at a point of a JPEG, read back by GDK's own decoder.
struct Decoded {
    int width = 0;
    int height = 0;
    std::uint32_t colour = 0;
};

Decoded decode(const std::vector<std::uint8_t>& bytes, int x, int y) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("jpeg", nullptr);
    gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), nullptr);
    gdk_pixbuf_loader_close(loader, nullptr);
    Decoded decoded;
    if (GdkPixbuf* picture = gdk_pixbuf_loader_get_pixbuf(loader)) {
        const guchar* pixel = gdk_pixbuf_read_pixels(picture) + std::ptrdiff_t{y} * gdk_pixbuf_get_rowstride(picture) +
                              std::ptrdiff_t{x} * gdk_pixbuf_get_n_channels(picture);
        decoded = {gdk_pixbuf_get_width(picture), gdk_pixbuf_get_height(picture),
                   std::uint32_t(pixel[0]) << 16 | std::uint32_t(pixel[1]) << 8 | pixel[2]};
    }
    g_object_unref(loader);
    return decoded;
}

// The overlay's box must be gone from a capture and the window under it whole,
// while the screen itself shows the box; asked for, the overlay stays.
void expectBoxLeftOut(OverlayOverAWindow& overlay, std::uint32_t boxOnScreen, const std::string& name) {
    ASSERT_TRUE(waitUntil([&] { return near(OverlayOverAWindow::boxCentre(), boxOnScreen, 4); }))
        << "the page's box shows on screen: " << std::hex << OverlayOverAWindow::boxCentre();

    const auto without = capture();
    ASSERT_EQ(without.width, 1920);
    ASSERT_EQ(without.height, 1080);
    probeIn(without).keep(name + "-capture");
    EXPECT_EQ(probeIn(without).differing(overlay.bare()), 0) << "the window under the box is captured whole";

    const auto with = capture(overlay.window().windowNumber());
    probeIn(with).keep(name + "-capture-including");
    const auto [inside, outside] = overlay.differingInAndOut(probeIn(with));
    EXPECT_EQ(inside, kBoxWidth * kBoxHeight) << "the overlay asked for is in the picture";
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(near(probeIn(with).at(kBoxX - kProbeX + 5, kBoxY - kProbeY + 5), boxOnScreen, 4))
        << "as the screen shows it: " << std::hex << probeIn(with).at(kBoxX - kProbeX + 5, kBoxY - kProbeY + 5);
}

TEST(Capture, LeavesOutThePagesBoxKeepsTheWindowUnderItAndEncodes) {
    ASSERT_FALSE(composited());
    OverlayOverAWindow overlay;
    overlay.paintBox("rgb(255, 0, 0)");
    expectBoxLeftOut(overlay, 0xFF0000, "plain");

    // Asked smaller, the picture is drawn into that size.
    const auto half = capture(std::nullopt, false, 960, 540);
    ASSERT_EQ(half.width, 960);
    ASSERT_EQ(half.height, 540);
    ScreenShot::of(half).keep("plain-capture-half");
    EXPECT_TRUE(near(ScreenShot::of(half).at((kBoxX + kBoxWidth / 2) / 2, (kBoxY + kBoxHeight / 2) / 2), kTeal))
        << std::hex << ScreenShot::of(half).at((kBoxX + kBoxWidth / 2) / 2, (kBoxY + kBoxHeight / 2) / 2);

    const auto jpeg = desktop().images().jpeg(capture(), 0.82);
    ASSERT_TRUE(jpeg);
    const auto decoded = decode(*jpeg, kBoxX + kBoxWidth / 2, kBoxY + kBoxHeight / 2);
    EXPECT_EQ(decoded.width, 1920);
    EXPECT_EQ(decoded.height, 1080);
    EXPECT_TRUE(near(decoded.colour, kTeal, 8)) << std::hex << decoded.colour;
}

TEST(Capture, DrawsThePointerInOnlyWhenAsked) {
    ProbeWindow probe(kProbeX, kProbeY, kProbeWidth, kProbeHeight, kTeal);
    ASSERT_TRUE(waitUntil([&] { return probe.shown() && probeArea().at(10, 10) == kTeal; }));
    XTestFakeMotionEvent(xDisplay(), -1, kProbeX + 100, kProbeY + 100, CurrentTime);
    XSync(xDisplay(), False);

    // The pointer's image lies around its hot spot, within 32 pixels.
    auto pointerPixels = [](const platform::Image& image) {
        return ScreenShot::of(image, kProbeX + 68, kProbeY + 68, 64, 64)
            .differing(ScreenShot::of(image, kProbeX + 400, kProbeY + 300, 64, 64));
    };
    const auto with = capture(std::nullopt, true);
    ScreenShot::of(with, kProbeX, kProbeY, 200, 200).keep("capture-pointer");
    EXPECT_GT(pointerPixels(with), 20) << "the pointer is drawn in";
    EXPECT_EQ(pointerPixels(capture(std::nullopt, false)), 0) << "and left out unless asked for";
}

TEST(CaptureComposited, LeavesOutATranslucentBoxAsXcompmgrBlendsIt) {
    const auto compositor = startCompositor();
    ASSERT_TRUE(compositor) << "xcompmgr took the compositing manager's selection";
    OverlayOverAWindow overlay;
    // Half-transparent red over teal: the screen shows their mix.
    overlay.paintBox("rgba(255, 0, 0, 0.5)");
    expectBoxLeftOut(overlay, 0x8F5048, "composited");
}

TEST(Images, ScaleWithAFilterEncodeAndTurnGrey) {
    auto& images = desktop().images();
    // Black and white columns halved: every pixel mixes both, as nearest
    // (all one or the other) would not. The edges, where the window is cut
    // short, are left aside.
    TextPicture stripes(64, 16, 0);
    for (int x = 1; x < 64; x += 2) stripes.fill({{double(x), 0}, {1, 16}}, 0xFFFFFF);
    const auto halved = images.scaled(stripes.image(), 32, 8);
    ASSERT_TRUE(halved);
    for (int x = 2; x < 30; ++x) {
        EXPECT_TRUE(near(ScreenShot::of(*halved).at(x, 4), 0x808080, 12))
            << x << ": " << std::hex << ScreenShot::of(*halved).at(x, 4);
    }
    // A flat colour stays exactly itself.
    const auto flat = images.scaled(TextPicture(300, 200, 0x8040C0).image(), 77, 51);
    ASSERT_TRUE(flat);
    EXPECT_EQ(ScreenShot::of(*flat).differing(ScreenShot::of(TextPicture(77, 51, 0x8040C0).image()), 0, 0, 77, 51, 0),
              0);
    EXPECT_FALSE(images.scaled(stripes.image(), 0, 8));

    // Linear grey, scaled to fill: white 255, black 0, sRGB middle grey dark.
    TextPicture thirds(300, 100, 0x808080);
    thirds.fill({{0, 0}, {100, 100}}, 0xFFFFFF);
    thirds.fill({{100, 0}, {100, 100}}, 0);
    const auto grey = images.linearGrey(thirds.image(), 30, 10);
    ASSERT_TRUE(grey);
    ASSERT_EQ(grey->size(), 300u);
    EXPECT_EQ((*grey)[5 * 30 + 2], 255);
    EXPECT_EQ((*grey)[5 * 30 + 15], 0);
    EXPECT_NEAR((*grey)[5 * 30 + 27], 55, 1) << "sRGB 128 is 21.6 % of white's light";

    EXPECT_FALSE(images.jpeg(platform::Image{}, 0.8));
}

// LEFT is 1920x1080 at 0,0 (primary), RIGHT 1280x1024 at 1920,0.
TEST(CaptureTwoMonitors, EachDisplayByItsNumber) {
    const auto screens = desktop().screens().screens();
    const auto shareable = desktop().screenCapture().shareableDisplays();
    ASSERT_TRUE(shareable);
    ASSERT_EQ(shareable->size(), 2u);
    EXPECT_EQ((*shareable)[0].id, *screens[0].number);
    EXPECT_EQ((*shareable)[1].id, *screens[1].number);
    EXPECT_EQ((*shareable)[1].frame, (Rect{{1920, 0}, {1280, 1024}}));

    ProbeWindow probe(2000, 100, 200, 200, 0xC03050);
    ASSERT_TRUE(waitUntil([&] { return probe.shown() && ScreenShot::of(2100, 200, 1, 1).at(0, 0) == 0xC03050; }));
    auto grab = desktop().screenCapture().capture((*shareable)[1].id, 1280, 1024, std::nullopt, false);
    ASSERT_TRUE(grab.image) << grab.error;
    EXPECT_EQ(grab.image->width, 1280);
    EXPECT_EQ(ScreenShot::of(*grab.image).at(180, 200), 0xC03050u);

    EXPECT_FALSE(desktop().screenCapture().capture(12345, 100, 100, std::nullopt, false).image)
        << "a display that isn't there";
}

}  // namespace
}  // namespace nimbo::test
