#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "account/Session.h"
#include "app/AppDelegate.h"
#include "meeting/MeetingRecorder.h"
#include "platform/sim/SimPlatform.h"

namespace nimbo::testing {

// A delegate on the simulated desktop, with the process-wide state reset.
class ShellFixture : public ::testing::Test {
protected:
    ShellFixture() {
        Session::host.reset();
        MeetingRecorder::shared().meetingId.reset();
    }
    ~ShellFixture() override {
        Session::host.reset();
        MeetingRecorder::shared().meetingId.reset();
        MeetingRecorder::shared().onChange = nullptr;
    }

    std::shared_ptr<AppDelegate> launch() {
        delegate = std::make_shared<AppDelegate>(sim);
        sim.app.setDelegate(delegate.get());
        sim.app.run();
        return delegate;
    }

    // A page window the way an overlay or the control center has one.
    std::shared_ptr<sim::SimPageWindow> window() {
        auto made = sim.pageWindows.makePageWindow({});
        return std::static_pointer_cast<sim::SimPageWindow>(made);
    }

    // A display as the window system would report it.
    static platform::Screen display(long long number, Rect frame, double scale = 2.0) {
        platform::Screen screen;
        screen.number = number;
        screen.frame = frame;
        screen.backingScale = scale;
        return screen;
    }

    // An overlay whose page messages go to the delegate's dispatcher, as built ones do.
    std::shared_ptr<Overlay> makeOverlay(std::optional<platform::Screen> screen = std::nullopt,
                                         std::optional<Rect> frame = std::nullopt) {
        auto on = screen.value_or(display(1, {{0, 0}, {1512, 982}}));
        std::weak_ptr<AppDelegate> weak = delegate;
        return Overlay::make(sim, on, "http://127.0.0.1:3005/spatial/overlay", frame,
                             [weak](Overlay& from, const BridgeMessage& message) {
                                 if (auto d = weak.lock()) d->handle(from, message);
                             });
    }

    std::shared_ptr<Overlay> addOverlay(std::optional<platform::Screen> screen = std::nullopt) {
        auto overlay = makeOverlay(std::move(screen));
        delegate->overlays.push_back(overlay);
        return overlay;
    }

    static sim::SimWebView& webOf(Overlay& overlay) { return static_cast<sim::SimWebView&>(overlay.web()); }
    static sim::SimPageWindow& windowOf(Overlay& overlay) {
        return static_cast<sim::SimPageWindow&>(overlay.window().page());
    }

    sim::SimPlatform sim;
    std::shared_ptr<AppDelegate> delegate;
};

}  // namespace nimbo::testing
