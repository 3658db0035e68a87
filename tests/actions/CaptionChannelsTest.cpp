#include <gtest/gtest.h>

#include "actions/OverlayPages.h"

namespace nimbo {
namespace {

using testing::Events;

class CaptionChannelsTest : public testing::OverlayPages {
protected:
    void SetUp() override {
        OverlayPages::SetUp();
        other = addOverlay(display(2, {{1512, 0}, {1512, 982}}));
        delegate->caption = makeOverlay(std::nullopt, Rect{{376, 0}, {760, 460}});
    }
    Overlay& caption() { return *delegate->caption; }
    void clickCaption() {
        send(caption(), "nimbo:interactive", true);
        ASSERT_TRUE(windowOf(caption()).click({380, 20}));
    }
    void confirm() { send(caption(), "nimbo:caption-act", Json{{"kind", "confirm"}}); }

    std::shared_ptr<Overlay> other;
};

TEST_F(CaptionChannelsTest, TheOverlayThatPlacedTheCaptionOwnsIt) {
    const Json pointing{{"at", "point"}, {"text", "there"}};
    send(*other, "nimbo:level", 0.4);  // nobody owns it yet
    send("nimbo:caption", pointing);
    send(*other, "nimbo:level", 0.9);
    send(*other, "nimbo:caption", Json{{"at", "idle"}});
    send(*other, "nimbo:caption", Json{{"at", "pop"}});
    send(*other, "nimbo:caption", Json{{"text", "no place"}});
    send("nimbo:spoken", "there");
    send(*other, "nimbo:caption", Json{{"at", "top"}});  // a new owner
    send("nimbo:level", 0.1);
    send(caption(), "nimbo:caption", pointing);  // never echoed to itself
    EXPECT_EQ(events(caption()), (Events{{"nimbo:level", 0.4},
                                         {"nimbo:caption", pointing},
                                         {"nimbo:spoken", "there"},
                                         {"nimbo:caption", {{"at", "top"}}}}));
    EXPECT_EQ(delegate->captionFrom.lock(), other);

    delegate->caption.reset();
    send("nimbo:caption", pointing);
    EXPECT_EQ(delegate->captionFrom.lock(), other) << "no caption window, nothing claimed";
}

TEST_F(CaptionChannelsTest, AConfirmNeedsAFreshClickOnTheCaptionAndUsesItUp) {
    const std::string refused = "nimbo: a confirm from the notch with no click on it — not passed on";
    confirm();
    clickCaption();
    sim.advance(5.0);
    confirm();
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{refused, refused}));
    EXPECT_FALSE(delegate->confirmedAt);
    EXPECT_TRUE(events(*overlay).empty());

    clickCaption();
    sim.advance(3.0);
    confirm();
    EXPECT_EQ(delegate->confirmedAt, sim.now());
    confirm();  // the same click again
    EXPECT_EQ(sim.output.lines.size(), 3u);
    for (auto* page : {overlay.get(), other.get()}) {
        EXPECT_EQ(events(*page), (Events{{"nimbo:caption-act", {{"kind", "confirm"}}}}));
    }
}

TEST_F(CaptionChannelsTest, OtherActsGoToTheOwnerAndOnlyFromTheCaption) {
    send(caption(), "nimbo:caption-act", "dismiss");
    EXPECT_EQ(events(*other), (Events{{"nimbo:caption-act", "dismiss"}})) << "no owner: every overlay";
    send("nimbo:caption", Json{{"at", "point"}});
    send(caption(), "nimbo:caption-act", Json{{"kind", "more"}});
    send(*other, "nimbo:caption-act", Json{{"kind", "more"}});
    EXPECT_EQ(events(*overlay), (Events{{"nimbo:caption-act", "dismiss"}, {"nimbo:caption-act", {{"kind", "more"}}}}));
    EXPECT_TRUE(events(*other).empty());
}

TEST_F(CaptionChannelsTest, WithAPanelShowingTheCaptionTakesTheMouseOnlyAtTheDoor) {
    send(caption(), "nimbo:interactive", true);
    EXPECT_TRUE(delegate->captionHeld);
    send(caption(), "nimbo:interactive", "yes");
    EXPECT_FALSE(delegate->captionHeld);
    EXPECT_TRUE(windowOf(caption()).ignoresMouse());

    send("nimbo:caption-panel", Json{{"w", 300}, {"h", 80}});  // not the caption page
    send(caption(), "nimbo:caption-panel", Json{{"w", 0}, {"h", 80}});
    send(caption(), "nimbo:caption-panel", Json{{"w", "300"}, {"h", 80}});
    EXPECT_FALSE(delegate->panel);
    send(caption(), "nimbo:caption-panel", Json{{"w", 300}, {"h", 80}, {"mode", "card"}});
    ASSERT_TRUE(delegate->panel);
    EXPECT_EQ(delegate->panel->mode, "card");

    send(caption(), "nimbo:interactive", true);  // the pointer is not at the notch
    EXPECT_FALSE(delegate->captionHeld);
    EXPECT_TRUE(windowOf(caption()).ignoresMouse());
    send("nimbo:interactive", true);  // an overlay page is not held to the door
    EXPECT_FALSE(windowOf(*overlay).ignoresMouse());
}

}  // namespace
}  // namespace nimbo
