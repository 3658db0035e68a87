#include <gtest/gtest.h>

#include "actions/OverlayPages.h"
#include "actions/Scrolling.h"
#include "control/Prefs.h"

namespace nimbo {
namespace {

using testing::Events;

class SettingChannelsTest : public testing::OverlayPages {};

TEST_F(SettingChannelsTest, OverlayPagesReadOnlyTheirOwnPreferences) {
    Prefs::set(sim, "spatial", Json{{"autoWalk", false}});
    Prefs::set(sim, "board", Json{{"rows", 3}});
    EXPECT_EQ(invoke("nimbo:pref-get", "spatial"), (Json{{"autoWalk", false}}));
    EXPECT_EQ(invoke("nimbo:pref-get", "board"), nullptr);
    EXPECT_EQ(invoke("nimbo:pref-get", Json{{"key", "spatial"}}), nullptr);
}

TEST_F(SettingChannelsTest, ANotchLookIsKeptWithTheRestAndToldToEveryPage) {
    delegate->caption = makeOverlay();
    delegate->openControl();
    auto& control = sim.controlWindowMaker.made.back()->webView();
    Prefs::set(sim, "spatial", Json{{"autoWalk", false}});

    send("nimbo:notch-look", "sparkly");
    send("nimbo:notch-look", Json{{"look", "frosted"}});
    send("nimbo:notch-look", "frosted");
    const Json kept{{"autoWalk", false}, {"notch", "frosted"}};
    EXPECT_EQ(Prefs::get(sim, "spatial"), kept);
    for (auto* web : {&webOf(*overlay), &webOf(*delegate->caption), &control}) {
        EXPECT_EQ(web->emitted(), (Events{{"nimbo:pref", {{"key", "spatial"}, {"value", kept}}}}));
    }

    Prefs::set(sim, "spatial", "not a dictionary");
    send("nimbo:notch-look", "black");
    EXPECT_EQ(Prefs::get(sim, "spatial"), (Json{{"notch", "black"}}));
}

TEST_F(SettingChannelsTest, QuietAndPersonalityChangesAreToldOnlyWhenTheyChange) {
    EXPECT_EQ(invoke("nimbo:quiet-now"), false);
    send("nimbo:set-quiet", "yes");
    send("nimbo:set-quiet", true);
    send("nimbo:set-quiet", true);
    EXPECT_EQ(invoke("nimbo:quiet-now"), true);

    send("nimbo:personalities",
         Json::array({Json{{"id", "calm"}, {"name", "Calm"}}, Json{{"id", "loud"}}, Json{{"name", "Nameless"}}, Json(3),
                      Json{{"id", "dry"}, {"name", "Dry"}, {"blurb", "few words"}}}));
    send("nimbo:personalities", Json::array({Json{{"id", "x"}}}));  // nothing usable: the list stays
    send("nimbo:personalities", "calm");
    const auto& list = delegate->statusMenu->personalities;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].blurb, "");
    EXPECT_EQ(list[1].blurb, "few words");

    send("nimbo:set-personality", "loud");  // not on the list
    send("nimbo:set-personality", "dry");
    EXPECT_EQ(invoke("nimbo:personality-now"), "dry");
    EXPECT_EQ(events(*overlay), (Events{{"nimbo:quiet", true}, {"nimbo:personality", "dry"}}));
}

TEST_F(SettingChannelsTest, ScrollingWaitsForAutoWalkAndStaysWithinBounds) {
    const Json off{{"ok", false}, {"why", "auto walk is off"}};
    Prefs::set(sim, "spatial", Json{{"autoWalk", false}});
    EXPECT_EQ(invoke("nimbo:scroll", Json{{"pages", 1}}), off);
    EXPECT_EQ(invoke("nimbo:scroll-to", Json{{"find", "Results"}}), off);
    for (const Json& spatial : {Json{{"autoWalk", "no"}}, Json::object(), Json(5)}) {
        Prefs::set(sim, "spatial", spatial);
        EXPECT_TRUE(delegate->autoWalkOn()) << spatial.dump();
    }

    EXPECT_EQ(Scrolling::pages(Json{{"pages", 5}}), 1.5);
    EXPECT_EQ(Scrolling::pages(Json{{"pages", 0}}), 0.2);
    EXPECT_EQ(Scrolling::pages(Json{{"pages", 1.1}}), 1.1);
    EXPECT_EQ(Scrolling::pages(Json{{"pages", "1"}}), 0.85);
    EXPECT_EQ(Scrolling::pages(std::nullopt), 0.85);
}

}  // namespace
}  // namespace nimbo
