#pragma once
#include <string>

#include "support/ShellFixture.h"

namespace nimbo::testing {

// A launched shell with its control center open on the simulated desktop.
class ControlFixture : public ShellFixture {
protected:
    void openControl() {
        if (!delegate) launch();
        delegate->openControl();
        controlWindow = sim.controlWindowMaker.made.back();
    }
    sim::SimWebView& controlWeb() { return controlWindow->webView(); }

    // The page invokes `channel` and gets the answer (null when none came).
    Json invoke(const std::string& channel, const MaybeJson& payload = std::nullopt) {
        long long id = ++lastId_;
        post("invoke", channel, payload, id);
        for (const auto& [answered, value] : controlWeb().resolved()) {
            if (answered == id) return value;
        }
        return "no answer";
    }
    void send(const std::string& channel, const MaybeJson& payload = std::nullopt) {
        post("send", channel, payload, std::nullopt);
    }

    std::shared_ptr<sim::SimControlWindow> controlWindow;

private:
    void post(const std::string& kind, const std::string& channel, const MaybeJson& payload,
              std::optional<long long> id) {
        Json body{{"kind", kind}, {"channel", channel}};
        if (payload) body["payload"] = *payload;
        if (id) body["id"] = *id;
        controlWeb().postMessage(body);
    }
    long long lastId_ = 0;
};

}  // namespace nimbo::testing
