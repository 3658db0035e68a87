#pragma once
// A launched shell with an overlay page whose side of the bridge the test plays.
#include <gtest/gtest.h>

#include "support/ShellFixture.h"

namespace nimbo::testing {

using Events = std::vector<std::pair<std::string, Json>>;

class OverlayPages : public ShellFixture {
protected:
    void SetUp() override {
        launch();
        overlay = addOverlay();
        sim.output.lines.clear();
    }
    void send(Overlay& from, const std::string& channel, const MaybeJson& payload = std::nullopt) {
        Json body{{"kind", "send"}, {"channel", channel}};
        if (payload) body["payload"] = *payload;
        webOf(from).postMessage(body);
    }
    void send(const std::string& channel, const MaybeJson& payload = std::nullopt) { send(*overlay, channel, payload); }
    // The answer to one invoke; "no answer" when none came.
    Json invoke(Overlay& from, const std::string& channel, const MaybeJson& payload = std::nullopt) {
        Json body{{"kind", "invoke"}, {"channel", channel}, {"id", ++lastId_}};
        if (payload) body["payload"] = *payload;
        webOf(from).postMessage(body);
        auto answers = webOf(from).resolved();
        return !answers.empty() && answers.back().first == lastId_ ? answers.back().second : Json("no answer");
    }
    Json invoke(const std::string& channel, const MaybeJson& payload = std::nullopt) {
        return invoke(*overlay, channel, payload);
    }
    // The events a page was sent since the last look.
    Events events(Overlay& page) {
        auto seen = webOf(page).emitted();
        webOf(page).calls.clear();
        return seen;
    }

    std::shared_ptr<Overlay> overlay;

private:
    long long lastId_ = 0;
};

}  // namespace nimbo::testing
