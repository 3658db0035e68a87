#pragma once
// One display with an overlay and the caption, and a mail application in
// front whose controls are listed as an ask lists them, so offers can name
// them by capture and id. Pages' requests go through the dispatcher.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo::Actions {
inline void PrintTo(const Outcome& outcome, std::ostream* out) {
    *out << (outcome.ok ? "ok" : "refused") << " " << outcome.why.value_or("-");
}
}  // namespace nimbo::Actions

namespace nimbo::testing {

class OfferDesk : public ShellFixture {
protected:
    static constexpr int kMail = 501;
    static constexpr Rect kDisplay{{0, 0}, {1280, 800}};
    static constexpr Rect kCaptionFrame{{700, 0}, {520, 200}};

    void SetUp() override {
        sim.displays.list = {display(1, kDisplay, 1.0)};
        sim.displays.mouse = {900, 500};
        sim.capturer.displays = {{1, kDisplay}};
        Actions::lastHold.reset();
        Actions::lastOwnClick.reset();
        Actions::clear();
        launch();
        ASSERT_EQ(delegate->overlays.size(), 1u);
        delegate->caption = makeOverlay(display(1, kDisplay, 1.0), kCaptionFrame);
        windowOf(caption()).setIgnoresMouse(false);
        mailWindow = sim.ax.add(sim.ax.addApp(kMail), "AXWindow", "", {{100, 100}, {900, 700}});
        sim.ax.apps[kMail].root->attributes["AXWindows"] = std::vector<platform::AXRef>{mailWindow};
        platform::WindowInfo listed;
        listed.ownerPid = kMail;
        listed.layer = 0;
        listed.bounds = Rect{{100, 100}, {900, 700}};
        sim.stacking.windows->push_back(listed);
        sim.app.front = platform::RunningApp{kMail, "Mail"};
        sim.apps.names[kMail] = "Mail";
        sim.advance(3.0);  // the frame sends are done
        webOf(overlay()).calls.clear();
        sim.output.lines.clear();
    }
    void TearDown() override { Actions::clear(); }

    Overlay& overlay() { return *delegate->overlays[0]; }
    Overlay& caption() { return *delegate->caption; }
    sim::SimRef control(const std::string& role, const std::string& title, Rect frame) {
        return sim.ax.add(mailWindow, role, title, frame);
    }
    // Lists the screen under a capture number, as an ask does: the ids by name.
    std::map<std::string, std::string> list(int capture) {
        platform::Image picture{16, 9, 64, std::make_shared<std::vector<std::uint8_t>>(16 * 9 * 4, 0)};
        std::map<std::string, std::string> ids;
        for (const auto& element : Elements::build(picture, kDisplay, capture)) {
            ids[element["name"].get<std::string>()] = element["id"].get<std::string>();
        }
        return ids;
    }

    void invoke(Overlay& from, const std::string& channel, const Json& payload, long long id) {
        webOf(from).postMessage(Json{{"kind", "invoke"}, {"channel", channel}, {"payload", payload}, {"id", id}});
    }
    // Background work and what it posts back, until nothing is left.
    void settle() {
        do {
            sim.background.drain();
            sim.runUntilIdle();
        } while (!sim.background.waiting.empty());
    }
    static Json answer(Overlay& page, long long id) {
        Json found;
        for (const auto& [answered, value] : webOf(page).resolved()) {
            if (answered == id) found = value;
        }
        return found;
    }
    static std::vector<Json> done(Overlay& page) {
        std::vector<Json> out;
        for (const auto& [channel, payload] : webOf(page).emitted()) {
            if (channel == "nimbo:offer-done") out.push_back(payload);
        }
        return out;
    }
    Json propose(const Json& offer, Overlay& from, long long id = 1) {
        invoke(from, "nimbo:offer", offer, id);
        settle();
        return answer(from, id);
    }
    Json propose(const Json& offer) { return propose(offer, overlay()); }
    // The user presses on the caption window at top-left window coordinates.
    void pressCaption(Point at) { windowOf(caption()).click({at.x, kCaptionFrame.size.height - at.y}); }
    // The caption page asks to accept the offer whose card it shows at `rect`.
    Json acceptClick(const std::string& id, const Json& rect, long long invokeId = 7) {
        invoke(caption(), "nimbo:offer-accept", Json{{"id", id}, {"rect", rect}}, invokeId);
        settle();
        return answer(caption(), invokeId);
    }
    // The chord held for `seconds`; under 0.4 s it is a tap, followed by `after` (a
    // second tap waits 0.28 s for another).
    void chord(double seconds, double after = 0.3) {
        sim.keys.setFlags(0x180000);
        sim.runUntilIdle();
        sim.advance(seconds);
        sim.keys.setFlags(0);
        sim.runUntilIdle();
        if (seconds < 0.4) sim.advance(after);
        settle();
    }

    sim::SimRef mailWindow;
};

inline Json offerOf(const std::string& id, const Json& body, std::optional<int> capture = std::nullopt,
                    std::optional<bool> tap = std::nullopt) {
    Json offer{{"id", id}, {"offer", body}};
    if (capture) offer["capture"] = *capture;
    if (tap) offer["tap"] = *tap;
    return offer;
}

inline Json refusal(const std::string& why) {
    return Json{{"ok", false}, {"why", why}};
}

}  // namespace nimbo::testing
