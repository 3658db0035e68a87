// Reading beyond what the screen shows, end to end, under openbox: the test
// editor in front, the chord held through XTest, and the reference server's
// overlay page calling the shell after each capture. The page reads the
// editor's whole text, scrolls it a page and then to a sentence far below,
// which the editor reports and the screen shows; the editor's menu commands
// reach the page beside the elements, a PDF behind its window is read and a
// picture's facts come with the capture. Run on
// a bare X server and under a compositing manager for the scrolled screen.
// GoogleTest first: Xlib's macros (None, Bool, ...) would break its headers.
#include <gtest/gtest.h>

#include <X11/keysym.h>
#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Desktop.h"
#include "OverlayOverAWindow.h"
#include "RunningShell.h"
#include "ScreenShot.h"
#include "TestEditor.h"
#include "TestKeyboard.h"
#include "platform/linux/ocr/TesseractRecognition.h"

namespace nimbo::test {
namespace {

constexpr const char* kHeron = "the violet heron counts thirty lanterns";

// The log writes a backslash twice; JSON's own escapes are the only ones in the page's lines.
std::string undoubled(std::string line) {
    for (auto at = line.find("\\\\"); at != std::string::npos; at = line.find("\\\\", at + 1)) line.erase(at, 1);
    return line;
}

// The answer the page logged for its call of `member` after capture N
// ("call #N MEMBER ANSWER"), with its long texts put back whole from their
// pieces; absent until it came.
std::optional<Json> called(const std::string& log, int capture, const std::string& member) {
    const std::string head = "call #" + std::to_string(capture) + " " + member + " ";
    std::optional<Json> answer;
    std::map<std::string, std::string> texts;
    for (const auto& line : pageSaid(log, head)) {
        const std::string rest = undoubled(line.substr(head.size()));
        auto parsed = Json::parse(rest, nullptr, false);
        if (!parsed.is_discarded()) {
            answer = parsed;
            continue;
        }
        // "KEY PART/COUNT PIECE"
        const auto space = rest.find(' '), piece = rest.find(' ', space + 1);
        if (space == std::string::npos || piece == std::string::npos) continue;
        auto text = Json::parse(rest.substr(piece + 1), nullptr, false);
        if (text.is_string()) texts[rest.substr(0, space)] += text.get<std::string>();
    }
    if (answer && answer->is_object()) {
        for (const auto& [key, text] : texts) (*answer)[key] = text;
    }
    return answer;
}

// Waits for that answer: its pieces come before it.
std::optional<Json> answered(RunningShell& shell, int capture, const std::string& member) {
    std::optional<Json> answer;
    waitUntil([&] { return (answer = called(shell.log(), capture, member)).has_value(); }, 60.0);
    return answer;
}

// What came beside the elements of capture N: {"app", "document", "file"} and "menus".
Json facts(const std::string& log, int capture) {
    const std::string tag = "#" + std::to_string(capture) + " ";
    Json found = Json::object();
    for (const auto& line : pageSaid(log, "facts " + tag)) found = Json::parse(undoubled(line.substr(6 + tag.size())));
    found["menus"] = Json::array();
    for (const auto& line : pageSaid(log, "menus " + tag)) {
        for (const auto& command : Json::parse(undoubled(line.substr(6 + tag.size()))))
            found["menus"].push_back(command);
    }
    return found;
}

std::size_t characters(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string label(int number) {  // the 1-based line number as the editor writes it
    return "screen " + std::to_string((number - 1) / 20 + 1) + " line " + std::to_string((number - 1) % 20 + 1) + ":";
}

// The words of an editor line no other line has: the three after its first
// "the" ("screen 2 line 7: the gentle anchor hides a ..." gives "gentle anchor hides").
std::string distinctWords(const std::string& line) {
    std::istringstream words(line.substr(line.find(": ") + 2));
    std::string word, kept;
    words >> word;
    for (int i = 0; i < 3 && words >> word; ++i) kept += (i ? " " : "") + word;
    return kept;
}

// The text recognised in the editor's visible part, top to bottom.
std::string onScreen(int x, int y, int width, int height, const std::string& keepAs) {
    const auto shot = ScreenShot::of(x, y, width, height);
    shot.keep(keepAs);
    ocr::TesseractRecognition recognition(2);
    std::string text;
    for (const auto& line : recognition.recognise(shot.image()).value_or(std::vector<platform::RecognisedText>{}))
        text += line.text + "\n";
    return text;
}

struct Placed {
    int x = 0, y = 0, width = 0, height = 0;
};

Placed placedText(const TestEditor& editor) {
    Placed area;
    for (const auto& line : linesOf(editor.output())) {
        if (std::sscanf(line.c_str(), "placed text %d,%d %dx%d", &area.x, &area.y, &area.width, &area.height) == 4)
            break;
    }
    return area;
}

void hold(TestKeyboard& keyboard) {
    keyboard.chord({XK_Super_L, XK_Alt_L}, 0.6);
}

const Json* command(const Json& menus, const std::vector<std::string>& path) {
    for (const auto& one : menus) {
        if (one.value("path", Json::array()) == Json(path)) return &one;
    }
    return nullptr;
}

void readAndScrollTheEditor() {
    // After the first capture: the whole text, then a page down; after the
    // second: the sentence on screen 30; the third only shows where it is.
    DevServer server({"--overlay-calls", R"([
        [["readPage"], ["scrollPage", 1]],
        [["scrollTo", "The violet heron counts thirty lanterns!"]]
    ])"});
    TestEditor editor;
    const auto start = editor.view();
    ASSERT_TRUE(start && start->value == 0 && start->page > 200) << editor.output();
    const auto heron = editor.heron();
    ASSERT_TRUE(heron) << editor.output();
    const Placed area = placedText(editor);
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();
    TestKeyboard keyboard;

    hold(keyboard);
    ASSERT_TRUE(answered(shell, 1, "scrollPage")) << shell.log();
    const std::string first = shell.log();

    // The whole text, not the screenful shown: every line in order from the first, cut at 60000 characters.
    const auto read = called(first, 1, "readPage");
    ASSERT_TRUE(read && read->is_object()) << first;
    EXPECT_EQ(read->value("ok", false), true) << read->dump();
    const std::string text = read->value("text", "");
    EXPECT_EQ(characters(text), 60000U);
    EXPECT_EQ(read->value("truncated", false), true);
    EXPECT_EQ(read->value("screens", 0), 1);
    const auto from = text.find(label(1));
    ASSERT_LT(from, 200U) << text.substr(0, 400);
    std::istringstream lines(text.substr(from));
    int number = 0, whole = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        // The cut may fall inside the last line's label.
        const bool cut = lines.eof();
        if (!cut) ++whole;
        const bool labelled = line.rfind(label(number), 0) == 0 || (cut && label(number).rfind(line, 0) == 0);
        ASSERT_TRUE(labelled) << "line " << number << " reads: " << line;
    }
    EXPECT_GT(whole, 600) << "far more than the " << start->page << " pixels shown";

    // A page down moves the editor's view by about its height, and the screen shows it.
    const auto scrolled = called(first, 1, "scrollPage");
    ASSERT_TRUE(scrolled) << first;
    EXPECT_EQ(scrolled->value("ok", false), true) << scrolled->dump();
    ASSERT_TRUE(waitUntil([&] { return editor.view(true)->value > 0; }, 10.0)) << editor.output();
    const auto paged = *editor.view(true);
    EXPECT_GE(paged.value, start->page * 0.8) << editor.output();
    EXPECT_LE(paged.value, start->page * 1.2) << editor.output();
    const std::string afterPage = onScreen(area.x, area.y, area.width, area.height / 3, "read-shell-paged");
    EXPECT_NE(afterPage.find(distinctWords(paged.words)), std::string::npos)
        << "\"" << paged.words << "\" at the top:\n"
        << afterPage;

    // Then the words far below are brought into view: the violet heron on screen 30.
    hold(keyboard);
    const auto found = answered(shell, 2, "scrollTo");
    ASSERT_TRUE(found) << shell.log();
    EXPECT_EQ(found->value("ok", false), true) << found->dump();
    const auto shown = [&] {
        const auto now = editor.view(true);
        return now && now->value <= heron->first && heron->first + heron->second <= now->value + now->page;
    };
    ASSERT_TRUE(waitUntil(shown, 10.0)) << "the heron at " << heron->first << "\n" << editor.output();
    const std::string atHeron = onScreen(area.x, area.y, area.width, area.height, "read-shell-heron");
    EXPECT_NE(atHeron.find(kHeron), std::string::npos) << atHeron;

    // The menus beside the elements: commands with their shortcuts, the disabled
    // one marked, the nested one by its whole path, recent files left out.
    hold(keyboard);
    ASSERT_TRUE(shell.pageSays("boxes #3", 60.0)) << shell.log();
    const Json beside = facts(shell.log(), 3);
    const Json& menus = beside["menus"];
    const Json* save = command(menus, {"File", "Save"});
    ASSERT_TRUE(save) << beside.dump();
    EXPECT_EQ(save->value("key", ""), "⌃S") << save->dump();
    const Json* saveAs = command(menus, {"File", "Save As…"});
    ASSERT_TRUE(saveAs) << beside.dump();
    EXPECT_EQ(saveAs->value("key", ""), "⌃⇧S") << saveAs->dump();
    const Json* revert = command(menus, {"File", "Revert"});
    ASSERT_TRUE(revert) << beside.dump();
    EXPECT_EQ(revert->value("enabled", true), false);
    EXPECT_FALSE(save->contains("enabled"));
    const Json* zoomIn = command(menus, {"View", "Zoom", "Zoom In"});
    ASSERT_TRUE(zoomIn) << beside.dump();
    EXPECT_EQ(zoomIn->value("key", ""), "⌃+");
    const Json* remove = command(menus, {"Edit", "Delete"});
    ASSERT_TRUE(remove) << beside.dump();
    EXPECT_EQ(remove->value("key", ""), "⌦");
    EXPECT_FALSE(std::any_of(menus.begin(), menus.end(),
                             [](const Json& one) {
                                 const Json path = one.value("path", Json::array());
                                 return !path.empty() && path.back() == "notes.txt";
                             }))
        << "recent files are not commands: " << beside.dump();
    EXPECT_EQ(beside.value("app", Json()), "Nimbo-test-editor") << "the window class GTK gives it" << beside.dump();
    EXPECT_EQ(beside.value("file", Json(0)), Json()) << "no file behind an untitled text";
}

TEST(ReadShell, TheWholeTextIsReadAndTheEditorScrollsToTheWords) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox) << "openbox manages windows";
    readAndScrollTheEditor();
}

TEST(ReadShellComposited, TheWholeTextIsReadAndTheEditorScrollsToTheWords) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox) << "openbox manages windows";
    const auto compositor = startCompositor();
    ASSERT_TRUE(compositor) << "xcompmgr took the compositing manager's selection";
    readAndScrollTheEditor();
}

// A PDF of three pages, each with its own sentence.
void writePdf(const std::string& path, const std::vector<std::string>& sentences) {
    cairo_surface_t* surface = cairo_pdf_surface_create(path.c_str(), 595, 842);
    cairo_t* cairo = cairo_create(surface);
    cairo_select_font_face(cairo, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cairo, 14);
    for (const auto& sentence : sentences) {
        cairo_move_to(cairo, 60, 100);
        cairo_show_text(cairo, sentence.c_str());
        cairo_show_page(cairo);
    }
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}

// An opaque picture, its left half pure red and its right half pure blue.
void writePicture(const std::string& path, int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 0, 0);
    cairo_rectangle(cairo, 0, 0, width / 2.0, height);
    cairo_fill(cairo);
    cairo_set_source_rgb(cairo, 0, 0, 1);
    cairo_rectangle(cairo, width / 2.0, 0, width / 2.0, height);
    cairo_fill(cairo);
    cairo_surface_write_to_png(surface, path.c_str());
    cairo_destroy(cairo);
    cairo_surface_destroy(surface);
}

TEST(ReadShellFiles, TheDocumentBehindTheWindowIsReadAndMeasured) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox) << "openbox manages windows";
    TempDir folder;
    const std::vector<std::string> sentences{"The first page speaks of copper kettles and morning rain.",
                                             "The second page counts eleven paper boats on the canal.",
                                             "The third page ends with a lighthouse keeper asleep."};
    const std::string pdf = folder.path() + "/three pages.pdf";
    const std::string png = folder.path() + "/halves.png";
    writePdf(pdf, sentences);
    writePicture(png, 320, 200);
    DevServer server({"--overlay-calls", R"([[["readPage"]], []])"});
    RunningShell shell(server);
    ASSERT_TRUE(shell.pageSays("ready with the bridge", 30.0)) << shell.log();
    TestKeyboard keyboard;

    {
        // The viewer shows only the PDF's name; its text comes from the file, page by page.
        TestEditor viewer({"--file", pdf});
        hold(keyboard);
        const auto read = answered(shell, 1, "readPage");
        ASSERT_TRUE(read && read->is_object()) << shell.log();
        EXPECT_EQ(read->value("ok", false), true) << read->dump();
        EXPECT_EQ(read->value("truncated", true), false);
        const std::string text = read->value("text", "");
        std::size_t at = 0;
        for (std::size_t page = 0; page < sentences.size(); ++page) {
            const auto marker = text.find("[page " + std::to_string(page + 1) + "]", at);
            ASSERT_NE(marker, std::string::npos) << text;
            at = text.find(sentences[page], marker);
            ASSERT_NE(at, std::string::npos) << text;
        }
        const Json beside = facts(shell.log(), 1);
        EXPECT_EQ(beside.value("document", Json(0)), Json()) << "only a web page's address: " << beside.dump();
        EXPECT_EQ(beside.value("file", Json(0)), Json()) << "a PDF has no picture facts: " << beside.dump();
    }

    // A picture open in front: its facts reach the page beside the elements.
    TestEditor viewer({"--file", png});
    hold(keyboard);
    ASSERT_TRUE(shell.pageSays("boxes #2", 60.0)) << shell.log();
    const Json file = facts(shell.log(), 2).value("file", Json());
    ASSERT_TRUE(file.is_object()) << shell.log();
    EXPECT_EQ(file.value("name", ""), "halves.png");
    EXPECT_EQ(file.value("type", ""), "png");
    EXPECT_EQ(file.value("kind", ""), "image");
    EXPECT_EQ(file.value("width", 0), 320);
    EXPECT_EQ(file.value("height", 0), 200);
    EXPECT_EQ(file.value("transparentShare", -1.0), 0.0);
    auto colors = file.value("colors", std::vector<std::string>{});
    std::sort(colors.begin(), colors.end());
    EXPECT_EQ(colors, (std::vector<std::string>{"#0000FF", "#FF0000"})) << file.dump();
}

}  // namespace
}  // namespace nimbo::test
