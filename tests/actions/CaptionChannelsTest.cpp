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
        delegate->caption = caption = makeOverlay(std::nullopt, Rect{{376, 0}, {760, 460}});
    }
    void click() {
        send(*caption, "nimbo:interactive", true);
        ASSERT_TRUE(windowOf(*caption).click({380, 20}));
    }
    void act(const Json& payload) { send(*caption, "nimbo:caption-act", payload); }

    std::shared_ptr<Overlay> other, caption;
};

TEST_F(CaptionChannelsTest, TheOverlayThatPlacedTheCaptionOwnsIt) {
    const Json pointing{{"at", "point"}};
    send(*other, "nimbo:level", 0.4);  // nobody owns it yet
    send("nimbo:caption", pointing);
    send(*other, "nimbo:level", 0.9);
    for (const Json& unplaced : {Json{{"at", "idle"}}, Json{{"at", "pop"}}, Json::object()}) {
        send(*other, "nimbo:caption", unplaced);
    }
    send("nimbo:spoken", "there");
    send(*other, "nimbo:caption", Json{{"at", "top"}});
    send("nimbo:level", 0.1);
    send(*caption, "nimbo:caption", pointing);  // never echoed to itself
    EXPECT_EQ(events(*caption), (Events{{"nimbo:level", 0.4},
                                        {"nimbo:caption", pointing},
                                        {"nimbo:spoken", "there"},
                                        {"nimbo:caption", {{"at", "top"}}}}));
    EXPECT_EQ(delegate->captionFrom.lock(), other);
}

TEST_F(CaptionChannelsTest, AConfirmNeedsAFreshClickOnTheCaptionAndUsesItUp) {
    const std::string refused = "nimbo: a confirm from the notch with no click on it — not passed on";
    const Json confirm{{"kind", "confirm"}};
    act(confirm);
    click();
    sim.advance(5.0);
    act(confirm);
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{refused, refused}));
    EXPECT_FALSE(delegate->confirmedAt);

    click();
    sim.advance(3.0);
    act(confirm);
    act(confirm);  // the same click again
    EXPECT_EQ(delegate->confirmedAt, sim.now());
    EXPECT_EQ(sim.output.lines.size(), 3u);
    EXPECT_EQ(events(*overlay), (Events{{"nimbo:caption-act", confirm}})) << "no owner: every overlay";
    EXPECT_EQ(events(*other), (Events{{"nimbo:caption-act", confirm}}));

    send("nimbo:caption", Json{{"at", "point"}});
    act("dismiss");
    send(*other, "nimbo:caption-act", "dismiss");  // acts come from the caption page alone
    EXPECT_EQ(events(*overlay), (Events{{"nimbo:caption-act", "dismiss"}}));
    EXPECT_TRUE(events(*other).empty());
}

TEST_F(CaptionChannelsTest, WithAPanelShowingTheCaptionTakesTheMouseOnlyAtTheDoor) {
    send(*caption, "nimbo:interactive", true);
    EXPECT_TRUE(delegate->captionHeld);
    send(*caption, "nimbo:interactive", "yes");
    EXPECT_FALSE(delegate->captionHeld);

    send("nimbo:caption-panel", Json{{"w", 300}, {"h", 80}});  // not the caption page
    send(*caption, "nimbo:caption-panel", Json{{"w", 0}, {"h", 80}});
    EXPECT_FALSE(delegate->panel);
    send(*caption, "nimbo:caption-panel", Json{{"w", 300}, {"h", 80}, {"mode", "card"}});
    ASSERT_TRUE(delegate->panel);
    send(*caption, "nimbo:interactive", true);  // the pointer is not at the notch
    EXPECT_FALSE(delegate->captionHeld);
    EXPECT_TRUE(windowOf(*caption).ignoresMouse());
}

}  // namespace
}  // namespace nimbo
