#include <gmock/gmock.h>

#include "base/Text.h"
#include "screen/ReadPage.h"
#include "screen/ScreenDesktop.h"

namespace nimbo {
namespace {

using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

constexpr int kViewer = 7;

class ReadPageTest : public testing::ScreenDesktop {
protected:
    ReadPageTest() { ReadPage::forget(); }
    ~ReadPageTest() override { ReadPage::forget(); }

    // The focused window of a front application called `name`.
    sim::SimRef focusedWindow(const std::string& name = "Viewer", int pid = kViewer) {
        auto made = window(pid, {{0, 0}, {800, 600}});
        sim.ax.apps[pid].root->attributes["AXFocusedWindow"] = platform::AXRef(made);
        sim.app.front = platform::RunningApp{pid, name};
        return made;
    }
    sim::SimRef text(const sim::SimRef& parent, const std::string& value, const std::string& role = "AXStaticText") {
        return sim.ax.add(parent, {{"AXRole", role}, {"AXValue", value}});
    }
    static std::string words(size_t count, const std::string& word = "word ") {
        std::string out;
        for (size_t i = 0; i < count; ++i) out += word;
        return out;
    }
};

TEST_F(ReadPageTest, EachFailureSaysWhyAndNamesTheAppOnceThereIsOne) {
    EXPECT_EQ(ReadPage::read(), (Json{{"ok", false}, {"why", "nothing is in front to read"}}));
    sim.app.front = platform::RunningApp{sim.app.pid, "nimbo"};
    EXPECT_EQ(ReadPage::read(), (Json{{"ok", false}, {"why", "nothing is in front to read"}}));

    sim.ax.addApp(kViewer);
    sim.app.front = platform::RunningApp{kViewer, ""};
    EXPECT_EQ(ReadPage::read(), (Json{{"ok", false}, {"why", "couldn't find the app's window"}, {"app", "the app"}}));

    // Twenty characters alone in a window are not a page.
    auto shown = focusedWindow("Notes");
    text(shown, "twenty characters!!!", "AXTextField");
    EXPECT_EQ(ReadPage::read(),
              (Json{{"ok", false}, {"why", "I can only see what's on screen in Notes"}, {"app", "Notes"}}));
    EXPECT_THAT(logLines(), ElementsAre("nimbo: read page — nothing readable in Notes (0ms)"));
}

TEST_F(ReadPageTest, GatheringDropsRepeatedNeighboursAndReadsFieldsByTheirValueOnly) {
    auto root = focusedWindow();
    auto group = sim.ax.add(root, {{"AXRole", std::string("AXGroup")}});
    text(group, "Heading");
    text(group, "Heading");
    auto label = text(group, "  ");
    text(label, "Inside a label");
    auto area = text(group, "The area's whole text", "AXTextArea");
    text(area, "a line the area also shows");
    text(group, "Heading");

    Strings texts;
    size_t size = 0;
    int count = 0;
    ReadPage::collect(root, texts, size, count, sim.now());

    EXPECT_THAT(texts, ElementsAre("Heading", "Inside a label", "The area's whole text", "Heading"));
    EXPECT_EQ(size, 7u + 1 + 14 + 1 + 21 + 1 + 7 + 1);
    EXPECT_EQ(count, 8);
}

TEST_F(ReadPageTest, GatheringStopsPastItsElementCharacterAndTimeBounds) {
    auto gather = [&](const sim::SimRef& root) {
        Strings texts;
        size_t size = 0;
        int count = 0;
        ReadPage::collect(root, texts, size, count, sim.now());
        return texts;
    };
    // The window is the first element: the 30000th is read, the next is not.
    auto crowded = focusedWindow("Crowded", 8);
    for (int i = 0; i < 29998; ++i) sim.ax.add(crowded, {{"AXRole", std::string("AXGroup")}});
    text(crowded, "the last one read");
    text(crowded, "one too many");
    EXPECT_THAT(gather(crowded), ElementsAre("the last one read"));

    // 60 texts of 1000 characters pass 60000 with their separators.
    auto wordy = focusedWindow("Wordy", 9);
    for (int i = 0; i < 70; ++i) text(wordy, std::to_string(1000 + i) + words(249, "abcd"));
    EXPECT_EQ(gather(wordy).size(), 60u);

    // Each request takes an eighth of a second: the 17th element is read at 2 s, the 18th is late.
    auto slow = focusedWindow("Slow", 10);
    for (int i = 0; i < 30; ++i) text(slow, "line " + std::to_string(i));
    sim.ax.apps[10].delay = 0.125;
    EXPECT_EQ(gather(slow).size(), 16u);
}

TEST_F(ReadPageTest, LongPdfIsReadByPagesUntilTheCutAndSaysItWasTruncated) {
    auto shown = focusedWindow();
    shown->attributes["AXDocument"] = platform::AXUrl{"file:///home/u/Big%20Report.PDF"};
    auto& pdf = sim.files.pdfs["/home/u/Big Report.PDF"];
    for (int i = 0; i < 300; ++i) pdf.pages.emplace_back(words(50));
    pdf.pages[1].reset();

    auto reading = ReadPage::read();

    ASSERT_EQ(reading["ok"], true);
    auto got = reading["text"].get<std::string>();
    EXPECT_TRUE(got.starts_with("[page 1]\n" + words(50) + "\n[page 3]\n")) << got.substr(0, 300);
    EXPECT_EQ(Text::characterCount(got), 60000u);
    EXPECT_EQ(reading["truncated"], true);
    // Each page adds 261 characters or so: reading stops on the page that passes 60000.
    EXPECT_EQ(sim.files.pagesRead, 231);
    EXPECT_EQ(reading, (Json{{"ok", true},
                             {"text", got},
                             {"screens", 1},
                             {"ms", 0},
                             {"app", "Viewer"},
                             {"scrolled", false},
                             {"restored", true},
                             {"croppedToWindow", true},
                             {"truncated", true}}));
    EXPECT_THAT(logLines(), ElementsAre("nimbo: read page — 60152 chars from Viewer (file pdf, 0ms), truncated"));
}

TEST_F(ReadPageTest, ShortFileGivesWayToLongerWindowTextAndPagesComeFromTheirWebArea) {
    auto shown = focusedWindow("Editor");
    shown->attributes["AXDocument"] = std::string("file:///notes/todo.md");
    sim.files.texts["/notes/todo.md"]["md"] = words(30);  // 150 characters
    text(shown, "Toolbar label outside the page, long enough to count on its own");
    auto page =
        sim.ax.add(sim.ax.add(shown, {{"AXRole", std::string("AXGroup")}}), {{"AXRole", std::string("AXWebArea")}});
    text(page, words(40, "page "));
    EXPECT_EQ(ReadPage::read()["text"], Text::trimmed(words(40, "page ")));

    page->attributes["AXRole"] = std::string("AXGroup");
    EXPECT_EQ(ReadPage::read()["text"],
              "Toolbar label outside the page, long enough to count on its own\n" + Text::trimmed(words(40, "page ")));

    sim.files.texts["/notes/todo.md"]["md"] = words(100);
    EXPECT_EQ(ReadPage::read()["text"], Text::trimmed(words(100)));
    EXPECT_THAT(logLines(), ElementsAre("nimbo: read page — 199 chars from Editor (web page, 0ms)",
                                        "nimbo: read page — 263 chars from Editor (window text, 0ms)",
                                        "nimbo: read page — 499 chars from Editor (file md, 0ms)"));
}

TEST_F(ReadPageTest, OnlyFilesOfListedKindsAtPlainPathsAreOpened) {
    sim.files.texts["/a/b.txt"]["txt"] = "plain";
    EXPECT_EQ(ReadPage::file("file:///a/b.TXT"), std::nullopt) << "read as the kind its name says, on its own path";
    EXPECT_EQ(ReadPage::file("file:///a/b.txt"), "plain");
    EXPECT_EQ(ReadPage::file("file:///a/b%00.txt"), std::nullopt);
    EXPECT_EQ(ReadPage::file("file:///a/picture.png"), std::nullopt);
    EXPECT_EQ(ReadPage::file("https://example.com/b.txt"), std::nullopt);
    EXPECT_EQ(ReadPage::file("file:///a/missing.pdf"), std::nullopt);
    sim.files.pdfs["/a/empty.pdf"];
    EXPECT_EQ(ReadPage::file("file:///a/empty.pdf"), "");
    EXPECT_THAT(sim.files.opened, ElementsAre("/a/b.TXT", "/a/b.txt", "/a/missing.pdf", "/a/empty.pdf"));
}

TEST_F(ReadPageTest, ReadingAheadIsReusedForTheSameDocumentFor30Seconds) {
    auto shown = focusedWindow();
    shown->attributes["AXDocument"] = platform::AXUrl{"file:///docs/letter.docx"};
    sim.files.texts["/docs/letter.docx"]["docx"] = "  " + words(60) + "\n";

    auto ahead = ReadPage::prefetch();
    ASSERT_TRUE(ahead);
    EXPECT_EQ((*ahead)["text"], Text::trimmed(words(60)));
    EXPECT_EQ(sim.files.opened.size(), 1u);
    sim.advance(29);
    EXPECT_EQ(ReadPage::read(), *ahead);
    EXPECT_EQ(sim.files.opened.size(), 1u);

    // Another document of the same app is read anew, and the reading ahead stays for later.
    shown->attributes["AXDocument"] = platform::AXUrl{"file:///docs/other.docx"};
    EXPECT_EQ(ReadPage::read()["ok"], false);
    shown->attributes["AXDocument"] = platform::AXUrl{"file:///docs/letter.docx"};
    EXPECT_EQ(ReadPage::read(), *ahead);

    sim.advance(2);
    EXPECT_EQ(ReadPage::read()["text"], (*ahead)["text"]);
    EXPECT_EQ(sim.files.opened.size(), 3u);
    EXPECT_EQ(logLines()[0], "nimbo: read ahead — 299 chars of letter.docx in 0ms");
}

TEST_F(ReadPageTest, ReadingAheadKeepsNothingShortAndWaitsLittleOnAHungApp) {
    auto shown = focusedWindow();
    shown->attributes["AXDocument"] = platform::AXUrl{"file:///docs/short.txt"};
    sim.files.texts["/docs/short.txt"]["txt"] = words(39);
    text(shown, words(50, "label "));
    EXPECT_EQ(ReadPage::prefetch(), std::nullopt);
    EXPECT_EQ(ReadPage::read()["text"], Text::trimmed(words(50, "label ")));

    sim.ax.apps[kViewer].hangs = true;
    double before = sim.now();
    EXPECT_EQ(ReadPage::prefetch(), std::nullopt);
    EXPECT_DOUBLE_EQ(sim.now() - before, 0.3);
}

}  // namespace
}  // namespace nimbo
