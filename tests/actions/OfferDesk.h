#pragma once
// One display with an overlay and the caption, and a mail application in
// front whose controls are listed the way an ask lists them, so offers can
// name them by capture and id. Pages' requests go through the dispatcher.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "actions/Actions.h"
#include "support/ShellFixture.h"

namespace nimbo::testing {

class OfferDesk : public ShellFixture {
protected:
    static constexpr int kMail = 501;
    static constexpr std::uint64_t kChord = 0x180000;
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
        windowOf(*delegate->caption).setIgnoresMouse(false);
        mailWindow = window(kMail, {{100, 100}, {900, 700}});
        sim.app.front = platform::RunningApp{kMail, "Mail"};
        sim.apps.names[kMail] = "Mail";
        sim.advance(3.0);  // the frame sends are done
        webOf(overlay()).calls.clear();
        sim.output.lines.clear();
    }
    void TearDown() override {
        Actions::clear();
        Actions::lastHold.reset();
    }

    Overlay& overlay() { return *delegate->overlays[0]; }
    Overlay& caption() { return *delegate->caption; }

    // A window of `pid` on screen behind those added before it.
    sim::SimRef window(int pid, Rect frame) {
        if (!sim.ax.apps.contains(pid)) sim.ax.addApp(pid);
        auto root = sim.ax.apps[pid].root;
        auto made = sim.ax.add(root, "AXWindow", "", frame);
        auto& list = root->attributes["AXWindows"];
        if (!std::holds_alternative<std::vector<platform::AXRef>>(list)) list = std::vector<platform::AXRef>{};
        std::get<std::vector<platform::AXRef>>(list).push_back(made);
        platform::WindowInfo info;
        info.ownerPid = pid;
        info.layer = 0;
        info.bounds = frame;
        sim.stacking.windows->push_back(info);
        return made;
    }
    // A control of the mail window.
    sim::SimRef control(const std::string& role, const std::string& title, Rect frame) {
        return sim.ax.add(mailWindow, role, title, frame);
    }

    // Lists what is on screen under a capture number, as an ask does; the ids by name.
    std::map<std::string, std::string> list(int capture) {
        // Recognition reads no pixels on the sim: a small picture stands for the display.
        platform::Image image;
        image.width = 16;
        image.height = 9;
        image.stride = 16 * 4;
        image.pixels = std::make_shared<std::vector<std::uint8_t>>(16 * 9 * 4, 0);
        auto elements = Elements::build(image, kDisplay, capture);
        std::map<std::string, std::string> ids;
        for (const auto& element : elements) ids[element["name"].get<std::string>()] = element["id"].get<std::string>();
        return ids;
    }

    void send(Overlay& from, const std::string& channel, const MaybeJson& payload) {
        Json message{{"kind", "send"}, {"channel", channel}};
        if (payload) message["payload"] = *payload;
        webOf(from).postMessage(message);
    }
    void invoke(Overlay& from, const std::string& channel, const MaybeJson& payload, long long id) {
        Json message{{"kind", "invoke"}, {"channel", channel}, {"id", id}};
        if (payload) message["payload"] = *payload;
        webOf(from).postMessage(message);
    }
    // Background work and what it posts back, until nothing is left.
    void settle() {
        while (!sim.background.waiting.empty()) {
            sim.background.drain();
            sim.runUntilIdle();
        }
        sim.runUntilIdle();
    }
    // The answer to invoke `id` of a page; null when there is none (yet).
    static Json answer(Overlay& page, long long id) {
        Json found;
        for (const auto& [answered, value] : webOf(page).resolved()) {
            if (answered == id) found = value;
        }
        return found;
    }
    // Every "nimbo:offer-done" a page got, in order.
    static std::vector<Json> done(Overlay& page) {
        std::vector<Json> out;
        for (const auto& [channel, payload] : webOf(page).emitted()) {
            if (channel == "nimbo:offer-done") out.push_back(payload);
        }
        return out;
    }

    // A proposal from `from`, judged and answered.
    Json propose(const Json& offer, Overlay& from, long long id = 1) {
        invoke(from, "nimbo:offer", offer, id);
        settle();
        return answer(from, id);
    }
    Json propose(const Json& offer) { return propose(offer, overlay()); }

    // The user presses on the caption window, at top-left window coordinates.
    void pressCaption(Point topLeft) { windowOf(caption()).click({topLeft.x, kCaptionFrame.size.height - topLeft.y}); }
    // The caption page asks to accept the offer whose card it shows at `rect`.
    Json acceptClick(const std::string& id, const Json& rect, long long invokeId = 7) {
        invoke(caption(), "nimbo:offer-accept", Json{{"id", id}, {"rect", rect}}, invokeId);
        settle();
        return answer(caption(), invokeId);
    }
    // One tap of the chord, and the wait that tells it from a double tap.
    void tap() {
        sim.keys.setFlags(kChord);
        sim.runUntilIdle();
        sim.advance(0.1);
        sim.keys.setFlags(0);
        sim.runUntilIdle();
        sim.advance(0.3);
        settle();
    }
    // A hold of the chord, as when the user says yes.
    void hold(double seconds) {
        sim.keys.setFlags(kChord);
        sim.runUntilIdle();
        sim.advance(seconds);
        sim.keys.setFlags(0);
        sim.runUntilIdle();
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

}  // namespace nimbo::testing
