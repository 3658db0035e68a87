// An overlay over a real window, as the screen shows it: with no compositing
// manager (the test X server, or i3 and Openbox as they come) only what the
// page paints may cover the desktop; with one (xcompmgr) the page is
// translucent as drawn. Shots are read back from the X server.
#include <gtest/gtest.h>

#include <gdk/gdkx.h>

#include "Desktop.h"
#include "OverlayOverAWindow.h"

namespace nimbo::test {
namespace {

// Share of the probe's pixels that differ between two shots.
double differingShare(const ScreenShot& a, const ScreenShot& b) {
    return static_cast<double>(a.differing(b)) / (kProbeWidth * kProbeHeight);
}

TEST(SeeThrough, WithoutACompositorOnlyWhatThePagePaintsCoversTheDesktop) {
    ASSERT_FALSE(composited()) << "the test X server runs no compositing manager";
    OverlayOverAWindow overlay;
    // Nothing painted, nothing covered: the window under it shows as it was.
    EXPECT_TRUE(waitUntil([&] { return differingShare(probeArea(), overlay.bare()) < 0.005; }))
        << differingShare(probeArea(), overlay.bare()) * 100 << " % of the window under the overlay changed";
    probeArea().keep("plain-empty-page");

    overlay.paintBox("rgb(255, 0, 0)");
    ASSERT_TRUE(waitUntil([&] { return near(OverlayOverAWindow::boxCentre(), 0xFF0000); }))
        << "the page's box shows, not " << std::hex << OverlayOverAWindow::boxCentre();
    const auto shot = probeArea();
    shot.keep("plain-box");
    const auto [inside, outside] = overlay.differingInAndOut(shot);
    EXPECT_EQ(inside, kBoxWidth * kBoxHeight) << "the whole box shows";
    EXPECT_EQ(outside, 0) << "and nothing else";

    // The shape follows the page's repaints back to nothing.
    overlay.removeBox();
    EXPECT_TRUE(waitUntil([&] { return probeArea().differing(overlay.bare()) == 0; }))
        << "the box went away; still differing: " << probeArea().differing(overlay.bare());

    // A faint tint (a shadow, a highlight's fill) can't be blended here; shown
    // unblended it would be a dark patch over the desktop, so it isn't shown.
    overlay.paintBox("rgba(88, 166, 255, 0.08)");
    runFor(1.0);
    EXPECT_EQ(probeArea().differing(overlay.bare()), 0) << "a faint fill darkens the desktop";
}

TEST(SeeThroughComposited, ACompositorBlendsThePageAndItsComingAndGoingIsNoticed) {
    const auto compositor = startCompositor();
    ASSERT_TRUE(compositor) << "xcompmgr took the compositing manager's selection";
    OverlayOverAWindow overlay;
    EXPECT_FALSE(boundingShape(overlay.window().windowNumber()).has_value()) << "a compositor blends the whole window";
    EXPECT_TRUE(waitUntil([&] { return differingShare(probeArea(), overlay.bare()) < 0.005; }))
        << differingShare(probeArea(), overlay.bare()) * 100 << " % of the window under the overlay changed";
    probeArea().keep("composited-empty-page");

    // Half-transparent red over teal comes out as their mix.
    overlay.paintBox("rgba(255, 0, 0, 0.5)");
    const std::uint32_t mix = 0x8F5048;  // (FF+20)/2, (00+A0)/2, (00+90)/2
    EXPECT_TRUE(waitUntil([&] { return near(OverlayOverAWindow::boxCentre(), mix, 4); }))
        << "the box is translucent: " << std::hex << OverlayOverAWindow::boxCentre();
    probeArea().keep("composited-box");

    // The compositor goes away: the window is shaped to the box from then on,
    // which X shows as painted (premultiplied: half red is dark red).
    compositor->signal(SIGTERM);
    ASSERT_TRUE(waitUntil([] { return !composited(); }));
    EXPECT_TRUE(waitUntil([&] { return boundingShape(overlay.window().windowNumber()).has_value(); }));
    EXPECT_TRUE(waitUntil([&] { return near(OverlayOverAWindow::boxCentre(), 0x800000, 4); }))
        << "the box shows again: " << std::hex << OverlayOverAWindow::boxCentre();
    EXPECT_TRUE(waitUntil([&] { return overlay.differingInAndOut(probeArea()).second == 0; }))
        << "outside the box the window under it shows: " << overlay.differingInAndOut(probeArea()).second
        << " pixels differ";
    probeArea().keep("uncomposited-box");
}

}  // namespace
}  // namespace nimbo::test
