#include <gtest/gtest.h>

#include "control/ControlFixture.h"
#include "control/OfflinePage.h"

namespace nimbo {
namespace {

using platform::MouseEventKind;

class ControlTest : public testing::ControlFixture {
protected:
    void SetUp() override {
        sim.env.variables["NIMBO_URL"] = "http://127.0.0.1:3005";
        openControl();
        sim.output.lines.clear();
    }
    std::vector<std::string> loaded() {
        std::vector<std::string> urls;
        for (const auto& [url, timeout] : controlWeb().loads) urls.push_back(url);
        return urls;
    }
};

TEST_F(ControlTest, OpensOnceOnControlHiddenFromCaptureAndShown) {
    EXPECT_EQ(controlWeb().loads,
              (std::vector<std::pair<std::string, double>>{{"http://127.0.0.1:3005/control", 60.0}}));
    EXPECT_EQ(controlWindow->options.title, "nimbo");
    EXPECT_EQ(controlWindow->options.frameAutosaveName, "nimbo.control");
    EXPECT_EQ(controlWindow->window->sharing, platform::SharingType::none);
    EXPECT_TRUE(controlWindow->isVisible());
    EXPECT_TRUE(controlWindow->window->isKey());
    EXPECT_EQ(sim.defaultsStore.values.at("WebGrammarCheckingEnabled"), false);

    controlWindow->userCloses();
    EXPECT_FALSE(controlWindow->isVisible()) << "closing hides";
    delegate->openControl();
    EXPECT_EQ(sim.controlWindowMaker.made.size(), 1u);
    EXPECT_TRUE(controlWindow->isVisible());
    EXPECT_EQ(controlWindow->activations, 2);
    EXPECT_EQ(controlWeb().loads.size(), 1u) << "the page is kept";
}

TEST_F(ControlTest, GoStaysOnTheServersHostAndPort) {
    auto& control = *delegate->control;
    for (const char* refused : {"control", "//evil.example/control", "/\t/evil.example", "/\n/evil.example",
                                "https://evil.example/", "", "\\\\evil.example"}) {
        control.go(refused);
    }
    EXPECT_EQ(loaded().size(), 1u);

    for (const char* kept : {"/control#you", "/@evil.example/x", "/%2F%2Fevil.example", "/\\evil.example",
                             "/control?next=//evil.example"}) {
        control.go(kept);
    }
    EXPECT_EQ(loaded(), (std::vector<std::string>{
                            "http://127.0.0.1:3005/control",
                            "http://127.0.0.1:3005/control#you",
                            "http://127.0.0.1:3005/@evil.example/x",
                            "http://127.0.0.1:3005/%2F%2Fevil.example",
                            "http://127.0.0.1:3005/\\evil.example",
                            "http://127.0.0.1:3005/control?next=//evil.example",
                        }));
}

TEST_F(ControlTest, OfflinePageWhileTheServerIsDownThenBackByItself) {
    auto& web = controlWeb();
    for (double wait : {2.0, 4.0, 8.0}) {
        web.fail(-1004);
        web.fail(-1004);  // a second failure while one retry is pending adds none
        sim.advance(wait);
    }
    EXPECT_EQ(sim.output.lines, (std::vector<std::string>{
                                    "nimbo: the control center did not load (Could not connect to the server.) — "
                                    "trying again in 2s",
                                    "nimbo: the control center did not load (Could not connect to the server.) — "
                                    "trying again in 4s",
                                    "nimbo: the control center did not load (Could not connect to the server.) — "
                                    "trying again in 8s",
                                }));
    ASSERT_EQ(web.htmlLoads.size(), 3u);
    EXPECT_NE(web.htmlLoads[0].find("nimbo can’t reach its server (127.0.0.1:3005) right now."), std::string::npos);
    EXPECT_NE(web.htmlLoads[0].find("It keeps trying — this opens by itself once it can."), std::string::npos);
    EXPECT_EQ(loaded().size(), 4u);
    EXPECT_EQ(loaded().back(), "http://127.0.0.1:3005/control");

    web.finish();  // the server is back
    sim.output.lines.clear();
    web.fail(-1001, "The request timed out.");
    EXPECT_EQ(sim.output.lines.back(),
              "nimbo: the control center did not load (The request timed out.) — trying again in 2s");
}

TEST_F(ControlTest, OnlyItsOwnServersFailuresAreRetried) {
    auto& web = controlWeb();
    web.fail(-999);
    web.fail(-1004, "gone", "https://elsewhere.example/page");
    sim.advance(60.0);
    EXPECT_TRUE(web.htmlLoads.empty());
    EXPECT_EQ(loaded().size(), 1u);

    web.fail(-1004, "down", "http://127.0.0.1:3005/control#you");
    web.finish();  // the offline page has no host: it resets nothing
    sim.advance(2.0);
    web.fail(-1004, "down");
    EXPECT_EQ(sim.output.lines.back(), "nimbo: the control center did not load (down) — trying again in 4s");
    EXPECT_EQ(loaded().back(), "http://127.0.0.1:3005/control#you") << "the failed address is the one retried";
}

TEST(OfflinePageTest, NamesTheAddressEscaped) {
    EXPECT_EQ(OfflinePage::address("https://nimbo.example/control"), "nimbo.example");
    EXPECT_EQ(OfflinePage::address("http://127.0.0.1:3005/control"), "127.0.0.1:3005");
    auto html = OfflinePage::html("a&b<c:1");
    EXPECT_NE(html.find("server (a&amp;b&lt;c:1) right now"), std::string::npos) << html;
}

TEST_F(ControlTest, ASecondRendererDeathSoonWaitsForTheNextShow) {
    auto& web = controlWeb();
    web.navigated("http://127.0.0.1:3005/control");
    web.killRenderer();
    sim.advance(5.0);
    web.killRenderer();
    EXPECT_EQ(web.reloads, 1);
    EXPECT_EQ(sim.output.lines,
              (std::vector<std::string>{
                  "nimbo: the control center's renderer died — reloading",
                  "nimbo: the control center's renderer died — again; reloading when it is next opened",
              }));
    delegate->control->show();
    EXPECT_EQ(web.reloads, 2);
    delegate->control->show();
    EXPECT_EQ(web.reloads, 2);
    sim.advance(10.0);
    web.killRenderer();
    EXPECT_EQ(web.reloads, 3);
}

TEST_F(ControlTest, ClosingInFullScreenLeavesItFirstUnlessReopened) {
    auto& control = *delegate->control;
    control.toggleFullScreen();
    controlWindow->finishFullScreen();
    ASSERT_TRUE(controlWindow->isFullScreen());

    EXPECT_FALSE(controlWindow->userCloses());
    EXPECT_TRUE(control.hide());
    EXPECT_EQ(controlWindow->toggles, 2) << "a second close while leaving doesn't toggle back in";
    EXPECT_EQ(controlWindow->mutes, 2);
    EXPECT_TRUE(controlWindow->isVisible()) << "still leaving full screen";
    controlWindow->finishFullScreen();
    EXPECT_FALSE(controlWindow->isVisible());

    control.toggleFullScreen();  // shows it first
    EXPECT_TRUE(controlWindow->isVisible());
    controlWindow->finishFullScreen();
    control.hide();
    control.show();  // opened again during the exit
    controlWindow->finishFullScreen();
    EXPECT_TRUE(controlWindow->isVisible());

    std::vector<Json> told;
    for (const auto& [channel, payload] : controlWeb().emitted()) {
        if (channel == "nimbo:fullscreen") told.push_back(payload);
    }
    EXPECT_EQ(told, (std::vector<Json>{true, true, false, false, true, true, false, false}));
}

TEST_F(ControlTest, DialogsWaitForTheUserOnlyWhileTheWindowShows) {
    auto& events = controlWeb().events;
    int alerts = 0;
    std::vector<bool> confirms;
    events.alert("Saved", [&] { ++alerts; });
    events.confirm("Delete?", [&](bool ok) { confirms.push_back(ok); });
    EXPECT_EQ(controlWindow->dialogs, (std::vector<std::string>{"alert: Saved", "confirm: Delete?"}));
    EXPECT_EQ(alerts, 0);
    controlWindow->answerConfirm(true);
    EXPECT_EQ(confirms, std::vector<bool>{true});

    delegate->control->hide();
    std::vector<std::string> files{"x"};
    events.alert("Hidden", [&] { ++alerts; });
    events.confirm("Hidden?", [&](bool ok) { confirms.push_back(ok); });
    events.chooseFiles({true, false}, [&](std::vector<std::string> chosen) { files = std::move(chosen); });
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(confirms, (std::vector<bool>{true, false}));
    EXPECT_TRUE(files.empty());
    EXPECT_EQ(controlWindow->dialogs.size(), 2u);
}

TEST_F(ControlTest, OtherSitesOpenInTheBrowser) {
    auto& web = controlWeb();
    web.navigated("http://127.0.0.1:3005/control");
    EXPECT_TRUE(web.events.decideLinkNavigation("http://127.0.0.1:3005/control#you"));
    EXPECT_FALSE(web.events.decideLinkNavigation("https://docs.example/help"));
    web.events.newWindowRequested("mailto:someone@example.com");
    web.events.newWindowRequested("HTTPS://docs.example/new");
    EXPECT_EQ(sim.desktop.opened, (std::vector<std::string>{"https://docs.example/help", "HTTPS://docs.example/new"}));
    EXPECT_TRUE(web.events.mediaCapture("http://127.0.0.1:3005"));
    EXPECT_FALSE(web.events.mediaCapture("https://evil.example"));
}

TEST_F(ControlTest, TitleAreaDragsAndDoubleClicksAsTheDesktopSays) {
    auto& control = *delegate->control;
    for (auto kind : {MouseEventKind::none, MouseEventKind::other, MouseEventKind::leftMouseDown}) {
        controlWindow->currentEvent = kind;
        control.dragWindow();
    }
    EXPECT_EQ(controlWindow->drags, 0) << "the button is up";
    controlWindow->leftPressed = true;
    control.dragWindow();
    controlWindow->currentEvent = MouseEventKind::leftMouseDragged;
    control.dragWindow();
    controlWindow->currentEvent = MouseEventKind::other;
    control.dragWindow();
    EXPECT_EQ(controlWindow->drags, 2);

    for (std::optional<std::string> action :
         std::vector<std::optional<std::string>>{"Minimize", "None", "Maximize", "minimize", std::nullopt}) {
        controlWindow->doubleClickAction = action;
        control.titleDoubleClick();
    }
    EXPECT_EQ(controlWindow->miniaturizes, 1);
    EXPECT_EQ(controlWindow->zooms, 3);
}

}  // namespace
}  // namespace nimbo
