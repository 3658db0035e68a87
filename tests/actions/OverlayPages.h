#pragma once
// A launched shell with an overlay page whose side of the bridge the test plays.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ShellFixture.h"

namespace nimbo::testing {

class OverlayPages : public ShellFixture {
protected:
    void SetUp() override {
        launch();
        overlay = addOverlay();
        sim.output.lines.clear();
    }

    void send(Overlay& from, const std::string& channel, const MaybeJson& payload = std::nullopt) {
        post(from, "send", channel, payload, std::nullopt);
    }
    void send(const std::string& channel, const MaybeJson& payload = std::nullopt) { send(*overlay, channel, payload); }
    // The page invokes `channel`; the answer, or "no answer" when none came.
    Json invoke(Overlay& from, const std::string& channel, const MaybeJson& payload = std::nullopt) {
        long long id = ++lastId_;
        post(from, "invoke", channel, payload, id);
        for (const auto& [answered, value] : webOf(from).resolved()) {
            if (answered == id) return value;
        }
        return "no answer";
    }
    Json invoke(const std::string& channel, const MaybeJson& payload = std::nullopt) {
        return invoke(*overlay, channel, payload);
    }
    // The events a page was sent since the last look.
    std::vector<std::pair<std::string, Json>> events(Overlay& page) {
        auto out = webOf(page).emitted();
        webOf(page).calls.clear();
        return out;
    }

    std::shared_ptr<Overlay> overlay;

private:
    static void post(Overlay& from, const std::string& kind, const std::string& channel, const MaybeJson& payload,
                     std::optional<long long> id) {
        Json body{{"kind", kind}, {"channel", channel}};
        if (payload) body["payload"] = *payload;
        if (id) body["id"] = *id;
        webOf(from).postMessage(body);
    }
    long long lastId_ = 0;
};

using Events = std::vector<std::pair<std::string, Json>>;

}  // namespace nimbo::testing
