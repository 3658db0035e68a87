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
        auto made = sim.windowList.makePageWindow({});
        return std::static_pointer_cast<sim::SimPageWindow>(made);
    }

    std::shared_ptr<Overlay> addOverlay() {
        auto overlay = std::make_shared<Overlay>(sim, window());
        delegate->overlays.push_back(overlay);
        return overlay;
    }

    static sim::SimWebView& webOf(Overlay& overlay) { return static_cast<sim::SimWebView&>(overlay.web()); }

    sim::SimPlatform sim;
    std::shared_ptr<AppDelegate> delegate;
};

}  // namespace nimbo::testing
