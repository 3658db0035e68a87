#pragma once
// The reference server's overlay page in a whole-screen overlay window over a
// teal window of another client, for tests of what the screen (or a capture
// of it) shows where the page paints.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "Desktop.h"
#include "ProbeWindow.h"
#include "ScreenShot.h"

namespace nimbo::test {

// The window under the overlay, in root coordinates, and its colour.
constexpr int kProbeX = 300, kProbeY = 200, kProbeWidth = 800, kProbeHeight = 500;
constexpr std::uint32_t kTeal = 0x20A090;
// The box the page paints, in page (= root) coordinates, inside the probe.
constexpr int kBoxX = 500, kBoxY = 300, kBoxWidth = 200, kBoxHeight = 100;

// Whether a compositing manager runs, as GDK sees it.
bool composited();
// xcompmgr, once it holds the compositing manager's selection; null if it never took it.
std::unique_ptr<Child> startCompositor();
// The root's pixels where the probe is.
ScreenShot probeArea();

class OverlayOverAWindow {
public:
    OverlayOverAWindow();
    ~OverlayOverAWindow();
    OverlayOverAWindow(const OverlayOverAWindow&) = delete;
    OverlayOverAWindow& operator=(const OverlayOverAWindow&) = delete;

    platform::PageWindow& window() { return *window_; }
    // The probe area as it was before the overlay came.
    const ScreenShot& bare() const { return bare_; }

    void run(const std::string& body);
    void paintBox(const std::string& colour);
    void removeBox();

    // The centre of the box as the screen shows it.
    static std::uint32_t boxCentre();
    // Differing pixels inside the box and outside it, against the bare shot.
    std::pair<int, int> differingInAndOut(const ScreenShot& shot) const;

private:
    ProbeWindow probe_;
    DevServer server_;
    ScreenShot bare_;
    std::shared_ptr<platform::PageWindow> window_;
};

}  // namespace nimbo::test
