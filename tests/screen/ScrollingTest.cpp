#include <gmock/gmock.h>

#include "screen/AutoScroll.h"
#include "screen/ScreenDesktop.h"
#include "screen/ScrollTo.h"

namespace nimbo {
namespace {

using platform::AXError;
using platform::AXRef;
using Result = AutoScroll::Result;

Result refusal(const std::string& why) {
    return {false, why};
}

// An editor in front: one window, a scroll area over tall content and its bar.
class ScrollingTest : public testing::ScreenDesktop {
protected:
    static constexpr int kPid = 7;

    ScrollingTest() {
        win = window(kPid, {{0, 0}, {800, 700}});
        sim.ax.apps[kPid].root->attributes["AXFocusedWindow"] = AXRef(win);
        sim.app.front = platform::RunningApp{kPid, "Editor"};
        area = sim.ax.add(win, "AXScrollArea", "", {{0, 100}, {800, 600}});
        content = sim.ax.add(area, "AXTextArea", "", {{0, 100}, {780, 3000}});
        bar = sim.ax.add(area, "AXScrollBar", "", {{780, 100}, {20, 600}});
        bar->attributes["AXValue"] = 0.0;
        bar->settable.insert("AXValue");
        area->attributes["AXVerticalScrollBar"] = AXRef(bar);
    }

    double barValue() const { return std::get<double>(bar->attributes.at("AXValue")); }

    // A line of text in the content, `below` points under its top.
    sim::SimRef line(const std::string& text, double below) {
        return sim.ax.add(content, {{"AXRole", std::string("AXStaticText")},
                                    {"AXValue", text},
                                    {"AXPosition", Point{0, 100 + below}},
                                    {"AXSize", Size{400, 20}}});
    }

    sim::SimRef win, area, content, bar;
};

TEST_F(ScrollingTest, OnePageStepsByWhatTheAreaShowsOfItsContentElseByTheKnob) {
    struct Case {
        const char* what;
        double shown, tall, barHeight, knob, start, pages, after;
    };
    const Case cases[] = {
        {"500 shown of 2500", 500, 2500, 500, 0, 0.1, 1, 0.1 + 500.0 / 2000},
        {"knob a quarter of the bar", 400, 400, 400, 100, 0, 0.5, 0.5 * 0.25 / 0.75},
        {"knob at its least size", 100, 100, 100, 20, 0, 1, 0.05 / 0.95},
        {"no knob", 300, 300, 300, -1, 0, 1, 0.25},
        {"a tiny step is raised", 500, 500000, 500, 0, 0, 0.2, 0.01},
        {"never past the end", 500, 2500, 500, 0, 0.9, 1.5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::SimAccessibility::setFrame(area, {{0, 100}, {800, c.shown}});
        sim::SimAccessibility::setFrame(content, {{0, 100}, {780, c.tall}});
        sim::SimAccessibility::setFrame(bar, {{780, 100}, {20, c.barHeight}});
        bar->attributes.erase("AXChildren");
        if (c.knob > 0) sim.ax.add(bar, "AXValueIndicator", "", {{780, 100}, {20, c.knob}});
        if (c.knob < 0) sim.ax.add(bar, "AXButton", "", {{780, 100}, {20, 10}});
        bar->attributes["AXValue"] = c.start;
        EXPECT_EQ(AutoScroll::down(c.pages), (Result{true, std::nullopt}));
        EXPECT_NEAR(barValue(), c.after, 1e-9);
    }
}

TEST_F(ScrollingTest, TheAreaUnderTheWindowsCentreWinsElseTheLargest) {
    auto side = sim.ax.add(win, "AXScrollArea", "", {{0, 0}, {100, 50}});
    auto sideBar = sim.ax.add(side, "AXScrollBar", "", {{90, 0}, {10, 50}});
    sideBar->attributes["AXValue"] = 0.5;
    sideBar->settable.insert("AXValue");
    side->attributes["AXVerticalScrollBar"] = AXRef(sideBar);
    // The window's centre lies over the content, inside the main area.
    EXPECT_EQ(AutoScroll::scrollArea(win, kPid), area);
    sim::SimAccessibility::setFrame(area, {{0, 500}, {800, 100}});
    sim::SimAccessibility::setFrame(content, {{0, 500}, {780, 100}});
    sim::SimAccessibility::setFrame(bar, {{780, 500}, {20, 100}});
    EXPECT_EQ(AutoScroll::scrollArea(win, kPid), area);  // off centre, still the largest
    sim::SimAccessibility::setFrame(side, {{0, 0}, {800, 100}});
    EXPECT_EQ(AutoScroll::scrollArea(win, kPid), area);  // the first of two alike
    sim::SimAccessibility::setFrame(side, {{0, 0}, {800, 101}});
    EXPECT_EQ(AutoScroll::scrollArea(win, kPid), side);
    sim::SimAccessibility::setFrame(side, {{0, 0}, {0, 0}});
    sim::SimAccessibility::setFrame(area, {{0, 500}, {0, 0}});
    EXPECT_EQ(AutoScroll::scrollArea(win, kPid), nullptr);
}

TEST_F(ScrollingTest, ScrollingDownSaysWhatStoodInTheWay) {
    bar->attributes["AXValue"] = 0.999;
    EXPECT_EQ(AutoScroll::down(1), refusal("already at the end"));
    EXPECT_EQ(sim.ax.writesAsked, 0);
    bar->attributes["AXValue"] = 0.5;
    bar->writeResults["AXValue"] = AXError::cannotComplete;
    EXPECT_EQ(AutoScroll::down(1), refusal("the app refused the scroll (-25204)"));
    bar->attributes["AXValue"] = std::string("half");
    EXPECT_EQ(AutoScroll::down(1), refusal("its scroll bar cannot be moved from outside"));
    bar->attributes["AXValue"] = 0.5;
    bar->settable.clear();
    EXPECT_EQ(AutoScroll::down(1), refusal("its scroll bar cannot be moved from outside"));
    area->attributes.erase("AXVerticalScrollBar");
    EXPECT_EQ(AutoScroll::down(1), refusal("its content has no scroll bar nimbo can move"));
    area->attributes["AXRole"] = std::string("AXGroup");
    EXPECT_EQ(AutoScroll::down(1), refusal("no scrollable area in Editor"));
    sim.ax.apps[kPid].root->attributes.erase("AXFocusedWindow");
    sim.app.front = platform::RunningApp{kPid, ""};
    EXPECT_EQ(AutoScroll::down(1), refusal("no scrollable area in the app in front"));
    sim.app.front = platform::RunningApp{sim.app.processId(), "nimbo"};
    EXPECT_EQ(AutoScroll::down(1), refusal("no other app in front"));
    sim.app.front.reset();
    EXPECT_EQ(AutoScroll::down(1), refusal("no other app in front"));
}

TEST_F(ScrollingTest, WebContentIsSearchedWithThePhraseThenItsHeadBeforeAnyWalk) {
    auto page = sim.ax.add(content, "AXWebArea", "", {{0, 100}, {780, 3000}});
    auto loose = line("totals", 10);
    auto longer = line("Q1 sales report, for March and April", 20);
    auto exact = line("Sales report for March", 900);
    page->searchResults = std::map<std::string, std::vector<AXRef>>{{"Sales report, for  March!", {loose}}};
    // The words go to the search with only their white space tidied.
    EXPECT_EQ(ScrollTo::searched("Sales report, for  March!", win, "sales report for march"), loose);
    sim.ax.searches.clear();
    page->searchResults =
        std::map<std::string, std::vector<AXRef>>{{"Sales report", {loose}},
                                                  {"Sales report figures", {exact}},
                                                  {"Sales report, for March!", {loose, longer, exact, longer}}};

    EXPECT_EQ(ScrollTo::text("  Sales report,\tfor\n March!"), (Result{true, std::nullopt}));
    EXPECT_THAT(exact->performed, ::testing::ElementsAre("AXScrollToVisible"));
    ASSERT_EQ(sim.ax.searches.size(), 1U);
    EXPECT_EQ(sim.ax.searches[0].text, "Sales report, for March!");
    EXPECT_EQ(sim.ax.searches[0].resultsLimit, 4);

    // A head of three words is searched for next; of two it is not.
    sim.ax.searches.clear();
    EXPECT_EQ(ScrollTo::text("Sales report figures, for March!"), (Result{true, std::nullopt}));
    ASSERT_EQ(sim.ax.searches.size(), 2U);
    EXPECT_EQ(sim.ax.searches[1].text, "Sales report figures");
    sim.ax.searches.clear();
    ScrollTo::text("Sales report, for March figures");
    EXPECT_EQ(sim.ax.searches.size(), 1U);
}

TEST_F(ScrollingTest, TheWalkKeepsTheShortestTextThenTriesTheFirstFiveWords) {
    auto longer = line("Net sales — total for the year", 10);
    auto first = line("Sales total", 20);
    line("sales, TOTAL", 30);
    EXPECT_EQ(ScrollTo::walked("sales total", win), first);
    EXPECT_EQ(ScrollTo::walked("sales total for the year", win), longer);
    EXPECT_EQ(ScrollTo::text("net sales total for the year 2024"), (Result{true, std::nullopt}));
    EXPECT_THAT(longer->performed, ::testing::ElementsAre("AXScrollToVisible"));
    EXPECT_EQ(ScrollTo::text("sales total every quarter"), refusal("couldn't find those words on the page"));
}

TEST_F(ScrollingTest, SearchesStopAtTheirBounds) {
    // The web area must be among the first 400 elements met.
    for (int i = 0; i < 397; ++i) sim.ax.add(win, "AXGroup", "", {{0, 0}, {1, 1}});
    auto page = sim.ax.add(win, "AXWebArea", "", {{0, 0}, {1, 1}});
    EXPECT_EQ(ScrollTo::webArea(win), page);
    page->attributes["AXRole"] = std::string("AXGroup");
    sim.ax.add(win, "AXWebArea", "", {{0, 0}, {1, 1}});
    EXPECT_EQ(ScrollTo::webArea(win), nullptr);

    // The walk gives up 1.2 seconds after it started.
    auto far = line("the far words", 2000);
    sim.ax.apps[kPid].delay = 0.001;
    EXPECT_EQ(ScrollTo::walked("the far words", win), nullptr);
    sim.ax.apps[kPid].delay = 0;
    EXPECT_EQ(ScrollTo::walked("the far words", win), far);
}

TEST_F(ScrollingTest, WordsTheAppWontScrollToAreBroughtInByTheBar) {
    auto words = line("the far words", 900);
    words->actionResults["AXScrollToVisible"] = AXError::actionUnsupported;
    EXPECT_EQ(ScrollTo::text("The far words"), (Result{true, std::nullopt}));
    EXPECT_NEAR(barValue(), (900.0 - 200) / 2400, 1e-9);

    bar->writeResults["AXValue"] = AXError::failure;
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("the app refused the scroll (-25200)"));
    sim::SimAccessibility::setFrame(content, {{0, 100}, {780, 601}});
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("its scroll bar cannot be moved from outside"));
    sim::SimAccessibility::setFrame(content, {{0, 100}, {780, 3000}});
    bar->settable.clear();
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("its scroll bar cannot be moved from outside"));
    content->attributes.erase("AXPosition");
    bar->settable.insert("AXValue");
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("its scroll bar cannot be moved from outside"));
    area->attributes.erase("AXVerticalScrollBar");
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("its content has no scroll bar nimbo can move"));
    area->attributes["AXRole"] = std::string("AXGroup");
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("its content has no scroll bar nimbo can move"));
    words->attributes.erase("AXSize");
    EXPECT_EQ(ScrollTo::viaScrollBar(words), refusal("the words have no place to scroll to"));
}

TEST_F(ScrollingTest, FindingWordsSaysWhatStoodInTheWay) {
    EXPECT_EQ(ScrollTo::norm("Net\u00a0Sales’ — TOTAL-2024!"), "net sales total 2024");
    EXPECT_EQ(ScrollTo::text(" !a! "), refusal("nothing to look for"));
    EXPECT_EQ(ScrollTo::text("nowhere on screen"), refusal("couldn't find those words on the page"));
    sim.ax.apps[kPid].root->attributes.erase("AXFocusedWindow");
    sim.ax.apps[kPid].root->attributes["AXMainWindow"] = AXRef(win);
    EXPECT_EQ(ScrollTo::text("nowhere on screen"), refusal("couldn't find those words on the page"));
    // A hung application costs each request 0.6 seconds, not the default wait.
    sim.ax.apps[kPid].hangs = true;
    const double start = sim.now();
    EXPECT_EQ(ScrollTo::text("nowhere on screen"), refusal("no window in front"));
    EXPECT_DOUBLE_EQ(sim.now() - start, 1.2);
    sim.app.front = platform::RunningApp{sim.app.processId(), "nimbo"};
    EXPECT_EQ(ScrollTo::text("nowhere on screen"), refusal("no other app in front"));
}

}  // namespace
}  // namespace nimbo
