#pragma once
// A shell over one display on which "Notes" shows a window with a text field
// that has keyboard focus; a paste appends the clipboard's text to whatever
// has focus, as a field would.
#include <gtest/gtest.h>

#include "actions/Actions.h"
#include "actions/Typing.h"
#include "support/ShellFixture.h"

namespace nimbo::testing {

class TypingDesk : public ShellFixture {
protected:
    static constexpr int kNotes = 77;
    static constexpr Rect kBox{{100, 200}, {400, 30}};
    static constexpr Point kInBox{150, 210};

    void SetUp() override {
        sim.displays.list = {display(1, {{0, 0}, {1512, 982}})};
        sim.capturer.displays = {{1, {{0, 0}, {1512, 982}}}};
        Actions::lastHold.reset();
        Actions::lastOwnClick.reset();
        launch();
        sim.advance(3.0);  // the overlay's frame sends are done
        sim.background.drain();
        auto app = sim.ax.addApp(kNotes);
        window = sim.ax.add(app, "AXWindow", "", {{0, 0}, {1512, 982}});
        box = sim.ax.add(window, "AXTextField", "", kBox);
        box->attributes["AXValue"] = std::string("Hi ");
        sim.stacking.windows->push_back({kNotes, 0, std::nullopt, Rect{{0, 0}, {1512, 982}}, 1});
        sim.apps.names[kNotes] = "Notes";
        sim.app.front = platform::RunningApp{kNotes, "Notes"};
        sim.ax.focused = box;
        sim.input.onPaste = [this] {
            auto* value = sim.ax.focused ? std::get_if<std::string>(&sim.ax.focused->attributes["AXValue"]) : nullptr;
            if (value && sim.clipboard.string()) *value += *sim.clipboard.string();
        };
        sim.output.lines.clear();
    }

    // What text recognition finds in any picture.
    void reads(const std::vector<std::string>& lines) {
        sim.ocr.lines = std::vector<platform::RecognisedText>{};
        for (const auto& text : lines) sim.ocr.lines->push_back({text, 0.9, {{0.1, 0.1}, {0.5, 0.1}}});
    }
    std::string valueOf(const sim::SimRef& element) { return std::get<std::string>(element->attributes["AXValue"]); }

    sim::SimRef window;
    sim::SimRef box;
};

}  // namespace nimbo::testing
