// Another application's document scrolled over the real accessibility bus:
// a long GTK text view in a scrolled window, in front under openbox, moved
// by the shell's scrolling through AT-SPI scroll bars and text.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "Desktop.h"
#include "platform/Platform.h"
#include "screen/AutoScroll.h"
#include "screen/Elements.h"
#include "screen/ScrollTo.h"

namespace nimbo::test {
namespace {

using platform::AXRef;

class ScrollApp {
public:
    ScrollApp() : child_({NIMBO_TEST_SCROLL_APP, "--at", "150,120"}, {}, folder_.path() + "/stdout.txt") {}
    int pid() const { return child_.pid(); }
    bool ready() const { return readFile(folder_.path() + "/stdout.txt").find("ready\n") != std::string::npos; }
    // The adjustment's last value, in pixels; 0 before it moved.
    double scrolled() const { return lastMove().first; }
    // The height it shows at once, in pixels.
    double page() const { return lastMove().second; }

private:
    std::pair<double, double> lastMove() const {
        std::istringstream lines(readFile(folder_.path() + "/stdout.txt"));
        double value = 0;
        double upper = 0;
        double page = 0;
        for (std::string line; std::getline(lines, line);) {
            std::sscanf(line.c_str(), "scrolled %lf of %lf page %lf", &value, &upper, &page);
        }
        return {value, page};
    }
    TempDir folder_;
    Child child_;
};

AXRef elementOf(const std::optional<platform::AXValue>& value) {
    const auto* element = value ? std::get_if<AXRef>(&*value) : nullptr;
    return element ? *element : nullptr;
}

std::optional<Rect> frameOf(platform::Accessibility& ax, const AXRef& element) {
    auto position = ax.copy(element, "AXPosition");
    auto size = ax.copy(element, "AXSize");
    if (!position || !size) return std::nullopt;
    return Rect{std::get<Point>(*position), std::get<Size>(*size)};
}

TEST(ScrollBars, TheDocumentInFrontIsScrolledByPagesAndToWordsFarDown) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox);
    ScrollApp app;
    ASSERT_TRUE(waitUntil([&] { return app.ready(); }, 20.0));
    auto& platform = desktop();
    ASSERT_TRUE(waitUntil([&] {
        auto front = platform.application().frontApplication();
        return front && front->pid == app.pid();
    }));
    auto& ax = platform.accessibility();
    AXRef application;
    ASSERT_TRUE(waitUntil([&] { return (application = ax.application(app.pid())) != nullptr; }, 20.0));
    AXRef window;
    ASSERT_TRUE(waitUntil([&] { return (window = elementOf(ax.copy(application, "AXFocusedWindow"))) != nullptr; }));

    // The pane's vertical bar, at the top, told as 0 to 1 and settable.
    Elements::attach(platform);
    struct Detach {
        platform::Platform& from;
        ~Detach() { Elements::detach(from); }
    } detach{platform};
    auto area = AutoScroll::scrollArea(window, app.pid());
    ASSERT_TRUE(area);
    auto bar = elementOf(ax.copy(area, "AXVerticalScrollBar"));
    ASSERT_TRUE(bar);
    EXPECT_EQ(ax.copy(bar, "AXValue"), platform::AXValue(0.0));
    EXPECT_TRUE(ax.isSettable(bar, "AXValue"));
    EXPECT_FALSE(ax.isSettable(area, "AXValue"));

    // A page down moves the document by the height it shows, as the knob
    // GTK leaves unexposed would measure it.
    EXPECT_EQ(AutoScroll::down(1), (AutoScroll::Result{true, std::nullopt}));
    ASSERT_TRUE(waitUntil([&] { return app.scrolled() > 0; }));
    EXPECT_NEAR(app.scrolled(), app.page(), app.page() * 0.02);

    // Words a thousand lines down are found inside the one text and shown.
    platform::AXSearch query;
    query.text = "seven  HERONS at dawn";
    query.resultsLimit = 4;
    auto found = ax.search(window, query);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1u);
    EXPECT_EQ(ScrollTo::textOf(found->front()), "seven herons at dawn");
    auto pane = frameOf(ax, area);
    ASSERT_TRUE(pane);
    // GTK lays long texts out a piece at a time while idle; the words are
    // placed once their place stops changing.
    std::optional<Rect> before;
    ASSERT_TRUE(waitUntil([&] {
        auto last = before;
        before = frameOf(ax, found->front());
        runFor(0.2);
        return before && last == before;
    }));
    EXPECT_GT(before->minY(), pane->maxY()) << "the words start out of sight";

    EXPECT_EQ(ScrollTo::text("Seven herons, at dawn!"), (AutoScroll::Result{true, std::nullopt}));
    EXPECT_TRUE(waitUntil([&] {
        auto now = frameOf(ax, found->front());
        return now && now->minY() >= pane->minY() && now->maxY() <= pane->maxY();
    })) << "the words are in view"
        << [&] {
               auto now = frameOf(ax, found->front());
               return now ? std::to_string(now->minY()) + " " + std::to_string(now->maxY()) + " in " +
                                std::to_string(pane->minY()) + " " + std::to_string(pane->maxY()) + " before " +
                                std::to_string(before->minY()) + " scrolled " + std::to_string(app.scrolled())
                          : std::string("no frame");
           }();
    EXPECT_EQ(ScrollTo::text("a pelican at noon"),
              (AutoScroll::Result{false, "couldn't find those words on the page"}));
}

}  // namespace
}  // namespace nimbo::test
