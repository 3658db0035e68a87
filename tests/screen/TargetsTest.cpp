#include <gmock/gmock.h>

#include "screen/Assemble.h"
#include "screen/ScreenDesktop.h"
#include "screen/TextRules.h"

namespace nimbo {
namespace {

using Elements::Line;
using Elements::Node;
using Elements::Window;
using ::testing::ElementsAre;

constexpr Rect kDisplay{{0, 0}, {1920, 1080}};

Node node(const std::string& role, const std::string& name, Rect rect) {
    return {role, std::nullopt, name, rect, nullptr, rect};
}

Rect moved(Rect r, double dx, double dy) {
    return {{r.origin.x + dx, r.origin.y + dy}, r.size};
}

std::vector<std::string> field(const Json& elements, const std::string& key) {
    std::vector<std::string> out;
    for (const auto& element : elements) out.push_back(element[key].get<std::string>());
    return out;
}

// A window whose accessibility frames sit 40 points left of and 25 above the
// text it shows, as a zoomed web view reports them.
TEST(TargetsTest, OffsetFramesAreFittedWithEnoughPairsAndDroppedWithTooFew) {
    Window fitted{{{0, 0}, {1000, 800}}, {}, false};
    Window unfitted{{{1000, 0}, {900, 800}}, {}, false};
    std::vector<Line> lines;
    for (int i = 0; i < 8; ++i) {
        Rect truth{{100.0 + 400 * (i % 2), 100.0 + 80 * i}, {80, 16}};
        lines.push_back({"Label " + std::string(1, char('A' + i)), truth});
        fitted.nodes.push_back(node("AXStaticText", lines.back().text, moved(truth, -40, -25)));
    }
    for (int i = 0; i < 4; ++i) {
        Rect truth{{1100.0 + 300 * (i % 2), 100.0 + 150 * i}, {80, 16}};
        lines.push_back({"Other " + std::string(1, char('A' + i)), truth});
        unfitted.nodes.push_back(node("AXButton", lines.back().text, moved(truth, -40, -25)));
    }

    auto assembled = Elements::assemble(lines, {fitted, unfitted}, kDisplay);

    ASSERT_EQ(assembled.byId.size(), 12u);
    int labels = 0;
    for (const auto& entry : assembled.byId) {
        const auto& target = entry.second;
        auto truth = std::find_if(lines.begin(), lines.end(), [&](const Line& l) { return l.text == target.name; });
        ASSERT_NE(truth, lines.end());
        EXPECT_NEAR(target.rect.origin.x, truth->rect.origin.x, 1e-6) << target.name;
        EXPECT_NEAR(target.rect.origin.y, truth->rect.origin.y, 1e-6) << target.name;
        if (target.role == "label") {
            ++labels;
            EXPECT_EQ(target.axFrame, moved(truth->rect, -40, -25));
        } else {
            EXPECT_EQ(target.role, "text") << target.name;
            EXPECT_EQ(target.name.rfind("Other", 0), 0u);
        }
    }
    EXPECT_EQ(labels, 8);
}

TEST(TargetsTest, ControlAndItsOwnTextAreOneTargetButTextBesideItIsListed) {
    Window window{{{0, 0}, {800, 600}}, {}, false};
    window.nodes.push_back(node("AXStaticText", "Save", {{110, 105}, {60, 20}}));
    window.nodes.push_back(node("AXButton", "Save", {{100, 100}, {80, 30}}));
    std::vector<Line> lines = {{"Save", {{112, 106}, {56, 18}}}, {"Save", {{194, 106}, {40, 18}}}};

    auto elements = Elements::assemble(lines, {window}, kDisplay).elements;

    EXPECT_THAT(field(elements, "role"), ElementsAre("button", "text"));
}

TEST(TargetsTest, CapKeepsEveryControlBeforeText) {
    Window window{{{0, 0}, {1920, 1080}}, {}, false};
    // Text in rows above the controls: reading order alone would keep it first.
    auto cell = [](int i, double top) { return Point{90.0 * (i % 20), top + 30.0 * (i - i % 20) / 20}; };
    std::vector<Line> lines;
    lines.reserve(100);
    for (int i = 0; i < 100; ++i) lines.push_back({"Words " + std::to_string(i), {cell(i, 0), {80, 16}}});
    for (int i = 0; i < 200; ++i) {
        window.nodes.push_back(node("AXButton", "Go " + std::to_string(i), {cell(i, 400), {80, 20}}));
    }

    auto elements = Elements::assemble(lines, {window}, kDisplay).elements;

    ASSERT_EQ(elements.size(), 250u);
    auto roles = field(elements, "role");
    EXPECT_EQ(std::count(roles.begin(), roles.end(), "button"), 200);
}

TEST(TargetsTest, MapDescribesTheVisiblePartAndTheStoredTargetStaysWhole) {
    const Rect display{{1920, 0}, {1280, 1024}};
    Window window{{{1800, 0}, {1000, 800}}, {}, false};
    window.nodes.push_back(node("AXButton", "Half", {{1880, 100}, {80, 20}}));
    std::vector<Line> lines = {{"Gone", {{1850, 500}, {40, 20}}}, {"Shown", {{2000, 500}, {40, 20}}}};

    auto assembled = Elements::assemble(lines, {window}, display);

    EXPECT_THAT(field(assembled.elements, "id"), ElementsAre("e1", "e3"));
    const auto& half = assembled.elements[0];
    EXPECT_DOUBLE_EQ(half["x"].get<double>(), 0);
    EXPECT_DOUBLE_EQ(half["y"].get<double>(), 100.0 / 1024);
    EXPECT_DOUBLE_EQ(half["w"].get<double>(), 40.0 / 1280);
    EXPECT_DOUBLE_EQ(half["h"].get<double>(), 20.0 / 1024);
    EXPECT_EQ(assembled.byId.at("e1").rect, (Rect{{1880, 100}, {80, 20}}));
}

TEST(TargetsTest, NamesMatchLinesAroundEllipsesAndByHalfTheirWords) {
    EXPECT_TRUE(Elements::same("Quarterly…xlsx", "Quarterly report for the northern region.xlsx"));
    EXPECT_TRUE(Elements::same("Very long docu…", "Very long document name.pdf"));
    EXPECT_TRUE(Elements::same("Export as PDF", "PDF export"));
    EXPECT_FALSE(Elements::same("Save", "Delete account"));
    EXPECT_FALSE(Elements::same("…", "Anything"));
}

class BuildTest : public testing::ScreenDesktop {
protected:
    platform::RecognisedText seen(const std::string& text, Rect box, double confidence = 0.9) {
        return {text, confidence, box};
    }
};

TEST_F(BuildTest, RecognitionKeepsConfidentReadableLinesMappedOntoTheDisplay) {
    sim.ocr.lines = {{"  2024 ", 0.9, {{0.125, 0.75}, {0.25, 0.125}}},
                     {"Faint", 0.2, {}},
                     {"Ill|", 0.9, {}},
                     {"[*]", 0.9, {}},
                     {"a", 0.9, {}},
                     {"Print", 0.3, {}}};

    auto lines = Elements::recognise({}, {{100, 50}, {1000, 500}});

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "2024");
    EXPECT_EQ(lines[0].rect, (Rect{{225, 112.5}, {250, 62.5}}));
    EXPECT_EQ(lines[1].text, "Print");
}

// Each release lists one window's controls and the text on it; text on the
// desktop is no target. Only the last three captures can be pointed at.
TEST_F(BuildTest, TargetsOfTheLastThreeCapturesCanBeFound) {
    front(7);
    auto root = window(7, {{0, 0}, {960, 1080}});
    sim.ax.add(root, "AXButton", "Save", {{100, 100}, {80, 30}});
    sim.ocr.lines = {{"Save", 0.9, {{100.0 / 1920, 1 - 130.0 / 1080}, {80.0 / 1920, 30.0 / 1080}}},
                     {"Trash", 0.9, {{0.8, 0.1}, {0.05, 0.02}}}};

    for (int capture = 1; capture <= 4; ++capture) {
        auto elements = Elements::build({}, kDisplay, capture);
        EXPECT_THAT(field(elements, "name"), ElementsAre("Save"));
    }

    EXPECT_FALSE(Elements::target(1, "e1").has_value());
    auto save = Elements::target(2, "e1");
    ASSERT_TRUE(save.has_value());
    EXPECT_EQ(save->role, "button");
    EXPECT_NE(save->ax, nullptr);
    EXPECT_FALSE(Elements::target(4, "e2").has_value());
}

}  // namespace
}  // namespace nimbo
