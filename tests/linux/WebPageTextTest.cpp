// A browser's page read over the real accessibility bus: WebKitGTK keeps a
// page's text in its paragraphs, headings, items, cells and links, with a
// placeholder character where a link or other element sits inside the text.
// Gathered depth first, every word of the page comes once, in page order.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "Desktop.h"
#include "screen/Elements.h"
#include "screen/ReadPage.h"

namespace nimbo::test {
namespace {

// Words that are all different, so a word read twice or left out shows.
class Words {
public:
    std::string next(int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            char word[16];
            std::snprintf(word, sizeof word, "w%03d", ++made_);
            if (!out.empty()) out += ' ';
            out += word;
        }
        return out;
    }
    int made() const { return made_; }

private:
    int made_ = 0;
};

// About three screens of a long article: headings, paragraphs with links and
// bold words inside them, a list, a table and a plain block.
std::string article(Words& words) {
    // One piece at a time: the words must be made in the order they are laid out.
    std::string html = "<!doctype html><html><head><title>Article</title></head><body style='font-size:20px'>";
    auto add = [&](const char* before, int count) {
        html += before;
        html += words.next(count);
    };
    add("<h1>", 3);
    for (int section = 0; section < 3; ++section) {
        add("</h1><h2>", 2);
        add(" <a href='/s'>", 1);
        html += "</a></h2>";
        for (int paragraph = 0; paragraph < 4; ++paragraph) {
            add("<p>", 20);
            add(" <a href='/a'>", 2);
            add("</a> ", 10);
            add(" <b>", 3);
            add("</b> ", 12);
            add(" <a href='/b'>", 1);
            html += "</a></p>";
        }
        add("<ul><li>", 4);
        add("</li><li>", 2);
        add(" <a href='/c'>", 2);
        add("</a> ", 2);
        add("</li><li><b>", 3);
        add("</b></li></ul><table><tr><th>", 1);
        add("</th><th>", 1);
        add("</th></tr><tr><td>", 2);
        add("</td><td><a href='/d'>", 1);
        add("</a> ", 1);
        add("</td></tr></table><div>", 15);
        html += "</div><h1>";
    }
    html += "</h1></body></html>";
    return html;
}

// The page's words in a text, list markers left out.
std::vector<std::string> tokens(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        if (word != "•") out.push_back(word);
    }
    return out;
}

class WebPageTextTest : public ::testing::Test {
protected:
    WebPageTextTest() {
        writeFile(folder_.path() + "/page.html", article(words_));
        Elements::attach(desktop());
    }
    ~WebPageTextTest() override { Elements::detach(desktop()); }

    // The page's window once it shows its page and is on the accessibility bus.
    platform::AXRef window() {
        app_ =
            std::make_unique<Child>(std::vector<std::string>{NIMBO_TEST_WEB_PAGE, folder_.path() + "/page.html"},
                                    std::vector<std::pair<std::string, std::string>>{}, folder_.path() + "/stdout.txt");
        bool ready = waitUntil(
            [&] { return readFile(folder_.path() + "/stdout.txt").find("ready\n") != std::string::npos; }, 30);
        if (!ready) return nullptr;
        auto& ax = desktop().accessibility();
        platform::AXRef app;
        if (!waitUntil([&] { return (app = ax.application(app_->pid())) != nullptr; }, 20)) return nullptr;
        platform::AXRef found;
        waitUntil(
            [&] {
                auto windows = ax.copy(app, "AXWindows");
                const auto* list = windows ? std::get_if<std::vector<platform::AXRef>>(&*windows) : nullptr;
                if (list && !list->empty()) found = list->front();
                return found != nullptr;
            },
            10);
        return found;
    }

    TempDir folder_;
    Words words_;
    std::unique_ptr<Child> app_;
};

TEST_F(WebPageTextTest, GatheredDepthFirstEveryWordComesOnceInPageOrder) {
    auto shown = window();
    ASSERT_TRUE(shown);
    platform::AXRef area;
    // The page's tree is built after its first paint: its text follows its load.
    std::vector<std::string> texts;
    waitUntil(
        [&] {
            area = ReadPage::webArea(shown);
            texts.clear();
            std::size_t size = 0;
            int count = 0;
            if (area) ReadPage::collect(area, texts, size, count, desktop().clock().now());
            std::size_t seen = 0;
            for (const auto& text : texts) seen += tokens(text).size();
            return seen >= static_cast<std::size_t>(words_.made());
        },
        10);
    ASSERT_TRUE(area) << "the window holds a web area";
    std::vector<std::string> expected = tokens(Words().next(words_.made()));
    std::string gathered;
    for (const auto& text : texts) gathered += text + "\n";
    EXPECT_EQ(tokens(gathered), expected) << gathered;
}

TEST_F(WebPageTextTest, TheElementWalkFindsThePageLinksInViewOnceEach) {
    auto shown = window();
    ASSERT_TRUE(shown);
    std::vector<Elements::Node> nodes;
    auto links = [&] {
        std::vector<std::string> names;
        for (const auto& node : nodes) {
            if (node.role == "AXLink") names.push_back(node.name);
        }
        return names;
    };
    waitUntil(
        [&] {
            nodes = Elements::walk(shown, Rect{{0, 0}, {1920, 1080}}, 2.0);
            return !links().empty();
        },
        10);
    // The page's first links are in view, each a target once; the runs of
    // text around them add none of their own.
    auto names = links();
    EXPECT_THAT(names, ::testing::IsSupersetOf({"w006", "w027 w028", "w054"}));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
    for (const auto& node : nodes) {
        EXPECT_NE(node.role, "AXStaticText") << node.name;
    }
}

TEST_F(WebPageTextTest, ABrowserWindowInFrontIsReadAsItsWebPage) {
    auto openbox = startOpenbox();
    ASSERT_TRUE(openbox) << "openbox manages windows";
    ASSERT_TRUE(window());
    ASSERT_TRUE(waitUntil([&] {
        auto front = desktop().application().frontApplication();
        return front && front->pid == app_->pid();
    })) << "the browser window is in front";
    LogLines log;
    Json read;
    std::vector<std::string> expected = tokens(Words().next(words_.made()));
    waitUntil(
        [&] {
            ReadPage::forget();
            read = ReadPage::read();
            return read.value("ok", false) && tokens(read.value("text", "")).size() >= expected.size();
        },
        10);
    ASSERT_TRUE(read.value("ok", false)) << read.dump();
    EXPECT_EQ(tokens(read.value("text", "")), expected);
    EXPECT_TRUE(std::any_of(log.lines.begin(), log.lines.end(),
                            [](const std::string& line) { return line.find("(web page, ") != std::string::npos; }));
}

}  // namespace
}  // namespace nimbo::test
