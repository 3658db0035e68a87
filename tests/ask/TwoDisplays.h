#pragma once
// Two displays side by side, an overlay on each, the pointer on the right
// one; the chord is played on the simulated keyboard and the pages' events
// are read back.
#include <gtest/gtest.h>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo::testing {

class TwoDisplays : public ShellFixture {
protected:
    static constexpr std::uint64_t kChord = 0x180000;

    void SetUp() override {
        sim.displays.list = {display(1, {{0, 0}, {1920, 1080}}), display(2, {{1920, 0}, {1280, 1024}})};
        sim.displays.mouse = {2500, 500};
        sim.capturer.displays = {{1, {{0, 0}, {1920, 1080}}}, {2, {{1920, 56}, {1280, 1024}}}};
        Actions::lastHold.reset();
        Actions::lastOwnClick.reset();
        launch();
        ASSERT_EQ(delegate->overlays.size(), 2u);
        sim.advance(3.0);  // the frame sends are done
        for (const auto& overlay : delegate->overlays) webOf(*overlay).calls.clear();
        sim.output.lines.clear();
    }

    void hold(double seconds) {
        sim.keys.setFlags(kChord);
        sim.runUntilIdle();
        sim.advance(seconds);
        sim.keys.setFlags(0);
        sim.runUntilIdle();
    }
    // Background work and what it posts back, until nothing is left.
    void settle() {
        while (!sim.background.waiting.empty()) {
            sim.background.drain();
            sim.runUntilIdle();
        }
    }
    std::vector<std::string> channels(Overlay& overlay) {
        std::vector<std::string> out;
        for (const auto& [channel, payload] : webOf(overlay).emitted()) out.push_back(channel);
        webOf(overlay).calls.clear();
        return out;
    }
    // The payload of the last event on `channel`, null when there was none.
    Json last(Overlay& overlay, const std::string& channel) {
        Json found;
        for (const auto& [sent, payload] : webOf(overlay).emitted()) {
            if (sent == channel) found = payload;
        }
        return found;
    }
    Overlay& left() { return *delegate->overlays[0]; }
    Overlay& right() { return *delegate->overlays[1]; }
};

using Channels = std::vector<std::string>;

}  // namespace nimbo::testing
