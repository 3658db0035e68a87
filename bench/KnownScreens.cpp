#include "KnownScreens.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <chrono>
#include <map>
#include <random>

#include "TextPicture.h"

namespace nimbo::bench {
namespace {

void append(std::vector<std::string>& into, const std::string& text) {
    for (auto& word : words(text)) into.push_back(std::move(word));
}

// Sentences of ordinary English words, the same every run.
std::string prose(int sentences, unsigned seed) {
    static const char* vocabulary[] = {
        "the",      "window",  "shows",   "a",         "list",     "of",      "files",    "that",     "were",
        "changed",  "since",   "last",    "week",      "and",      "each",    "line",     "names",    "its",
        "owner",    "when",    "you",     "open",      "folder",   "project", "report",   "contains", "figures",
        "for",      "every",   "quarter", "budget",    "meeting",  "notes",   "about",    "server",   "running",
        "slowly",   "after",   "update",  "install",   "package",  "manager", "reads",    "settings", "from",
        "this",     "file",    "before",  "starting",  "network",  "address", "printer",  "document", "page",
        "number",   "title",   "changes", "saved",     "draft",    "message", "sent",     "team",     "morning",
        "evening",  "review",  "code",    "branch",    "merged",   "into",    "main",     "release",  "version",
        "customer", "order",   "shipped", "yesterday", "invoice",  "payment", "received", "account",  "balance",
        "monthly",  "summary", "chart",   "table",     "column",   "values",  "average",  "total",    "increase",
        "decrease", "between", "two",     "three",     "several",  "minutes", "hours",    "today",    "please",
        "check",    "whether", "results", "match",     "expected", "output",  "test",     "failed",   "passed",
        "because",  "missing", "library", "path",
    };
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(vocabulary) - 1);
    std::uniform_int_distribution<int> length(6, 16);
    std::string text;
    for (int s = 0; s < sentences; ++s) {
        const int count = length(random);
        for (int w = 0; w < count; ++w) {
            std::string word = vocabulary[pick(random)];
            if (w == 0) word[0] = static_cast<char>(std::toupper(word[0]));
            text += word;
            text += w + 1 == count ? ". " : " ";
        }
    }
    return text;
}

}  // namespace

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> found;
    std::string word;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            found.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) found.push_back(std::move(word));
    return found;
}

double recall(const std::vector<std::string>& known, const std::vector<std::string>& seen) {
    if (known.empty()) return 1;
    std::map<std::string, int> left;
    for (const auto& word : seen) ++left[word];
    int found = 0;
    for (const auto& word : known) {
        if (left[word] > 0) {
            --left[word];
            ++found;
        }
    }
    return static_cast<double>(found) / static_cast<double>(known.size());
}

KnownScreen denseTextWindow() {
    KnownScreen screen{"dense text window", {}, {}};
    test::TextPicture picture(1280, 800);
    picture.fill(Rect{{0, 0}, {1280, 34}}, 0xe6e6e6);
    const std::string title = "quarterly notes.txt - Text Editor";
    picture.write(title, 500, 8, "DejaVu Sans Bold 10");
    append(screen.words, title);
    double y = 48;
    for (unsigned paragraph = 0; y < 760; ++paragraph) {
        const std::string text = prose(4, 17 + paragraph);
        const Rect ink = picture.write(text, 20, y, "DejaVu Sans 10", 0x202020, 1230);
        if (ink.origin.y + ink.size.height > 790) break;
        append(screen.words, text);
        y = ink.origin.y + ink.size.height + 14;
    }
    screen.image = picture.image();
    return screen;
}

KnownScreen settingsDialog() {
    KnownScreen screen{"settings dialog", {}, {}};
    test::TextPicture picture(1024, 720, 0xfafafa);
    auto text = [&](const std::string& words, double x, double y, const std::string& font, unsigned colour) {
        picture.write(words, x, y, font, colour);
        append(screen.words, words);
    };
    // Title bar, sidebar with one selected row.
    picture.fill(Rect{{0, 0}, {1024, 40}}, 0x2d2d30);
    text("Settings", 480, 11, "DejaVu Sans Bold 11", 0xf0f0f0);
    picture.fill(Rect{{0, 40}, {240, 680}}, 0xececec);
    const char* sections[] = {"Wi-Fi",
                              "Bluetooth",
                              "Network",
                              "Displays",
                              "Sound",
                              "Notifications",
                              "Privacy and Security",
                              "Keyboard",
                              "Mouse and Touchpad",
                              "Printers",
                              "Users",
                              "Date and Time",
                              "About"};
    double y = 60;
    for (const char* section : sections) {
        if (std::string(section) == "Privacy and Security") picture.fill(Rect{{8, y - 6}, {224, 32}}, 0x3574d4);
        text(section, 24, y, "DejaVu Sans 10", std::string(section) == "Privacy and Security" ? 0xffffff : 0x303030);
        y += 40;
    }
    text("Privacy and Security", 270, 62, "DejaVu Sans Bold 15", 0x202020);
    struct Row {
        const char* label;
        const char* detail;
        const char* control;
    };
    const Row rows[] = {
        {"Location Services", "Let applications determine your location", "On"},
        {"Camera", "Allow applications to use the camera", "Off"},
        {"Microphone", "Allow applications to record sound", "Manage"},
        {"Screen Lock", "Lock the screen after five minutes of idle time", "Change"},
        {"File History", "Remember recently used files for thirty days", "Clear History"},
        {"Diagnostics", "Send error reports to the developers automatically", "Never"},
        {"Firewall", "Block incoming connections that are not allowed", "Configure"},
        {"Passwords", "Saved passwords and keys for websites and servers", "Open Keyring"},
    };
    y = 112;
    for (const auto& row : rows) {
        picture.fill(Rect{{264, y - 10}, {730, 62}}, 0xffffff);
        picture.outline(Rect{{264, y - 10}, {730, 62}}, 0xdadada, 6);
        text(row.label, 284, y, "DejaVu Sans 11", 0x202020);
        text(row.detail, 284, y + 22, "DejaVu Sans 9", 0x707070);
        const Rect button{{830, y + 2}, {140, 30}};
        picture.outline(button, 0xb0b0b0, 5);
        const double width = 7.2 * static_cast<double>(std::string(row.control).size());
        text(row.control, button.origin.x + (button.size.width - width) / 2, y + 8, "DejaVu Sans 10", 0x202020);
        y += 72;
    }
    picture.fill(Rect{{240, 680}, {784, 40}}, 0xececec);
    text("Cancel", 800, 691, "DejaVu Sans 10", 0x303030);
    picture.fill(Rect{{890, 684}, {110, 30}}, 0x3574d4);
    text("Apply", 922, 691, "DejaVu Sans Bold 10", 0xffffff);
    screen.image = picture.image();
    return screen;
}

namespace {

constexpr const char* kPageStyle = R"CSS(
body { margin: 0; font-family: "DejaVu Sans", sans-serif; font-size: 14px; color: #222; background: #fff; }
nav { background: #1f2937; color: #f3f4f6; padding: 12px 24px; font-size: 15px; }
nav span { margin-right: 28px; }
main { display: flex; padding: 16px 24px; gap: 28px; }
article { width: 820px; }
aside { width: 340px; background: #f3f4f6; padding: 12px 16px; font-size: 13px; }
h1 { font-size: 26px; margin: 6px 0 10px; }
h2 { font-size: 18px; margin: 14px 0 6px; }
p { line-height: 1.45; margin: 6px 0; }
button { font: inherit; padding: 6px 14px; margin-right: 10px; border-radius: 6px; border: 1px solid #999; background: #fff; }
button.primary { background: #2563eb; color: #fff; border-color: #2563eb; }
table { border-collapse: collapse; margin-top: 8px; }
td, th { border: 1px solid #ccc; padding: 4px 10px; text-align: left; }
)CSS";

// Waits on the main loop for `done`, or for `seconds` of wall time.
bool spin(const std::function<bool()>& done, double seconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        g_main_context_iteration(nullptr, FALSE);
        g_usleep(1000);
    }
    return true;
}

}  // namespace

KnownScreen webPage(platform::Platform& platform) {
    KnownScreen screen{"web page (WebKit)", {}, {}};
    std::string body;
    auto element = [&](const std::string& tag, const std::string& text, const std::string& attributes = "") {
        body += "<" + tag + (attributes.empty() ? "" : " " + attributes) + ">" + text + "</" + tag + ">\n";
        append(screen.words, text);
    };
    body += "<nav>";
    for (const char* link : {"Home", "Products", "Pricing", "Documentation", "Blog", "Support", "Sign in"})
        element("span", link);
    body += "</nav><main><article>";
    element("h1", "Release notes for version 4.2");
    for (unsigned i = 0; i < 3; ++i) element("p", prose(3, 101 + i));
    element("h2", "What changed in the installer");
    element("p", prose(3, 201));
    body += "<div>";
    element("button", "Download now", "class=primary");
    element("button", "View changelog");
    element("button", "Report a problem");
    body += "</div><table>";
    for (const auto& row : {std::vector<std::string>{"Platform", "Size", "Checksum"},
                            std::vector<std::string>{"Linux", "84 MB", "a41f9c"},
                            std::vector<std::string>{"Windows", "97 MB", "7be2d0"}}) {
        body += "<tr>";
        for (const auto& cell : row) element("td", cell);
        body += "</tr>";
    }
    body += "</table></article><aside>";
    element("h2", "Upcoming events");
    for (unsigned i = 0; i < 3; ++i) element("p", prose(2, 301 + i));
    body += "</aside></main>";

    const auto main = platform.screens().mainScreen();
    if (!main) return screen;
    const int width = 1280, height = 800;
    platform::PageWindowOptions options;
    options.title = "Release notes";
    options.frame =
        Rect{{0, main->frame.size.height - height}, {static_cast<double>(width), static_cast<double>(height)}};
    auto window = platform.windows().makePageWindow(options);
    bool loaded = false;
    platform::WebView::Events events;
    events.finished = [&loaded] { loaded = true; };
    window->web().setEvents(events);
    window->web().loadHTML("<!doctype html><html><head><style>" + std::string(kPageStyle) + "</style></head><body>" +
                           body + "</body></html>");
    window->orderFront();
    if (!spin([&] { return loaded; }, 20)) return screen;
    spin([] { return false; }, 1.5);  // painted and on screen

    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XImage* shot = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    if (shot && shot->bits_per_pixel == 32) {
        screen.image =
            test::imageOf(reinterpret_cast<const unsigned char*>(shot->data), width, height, shot->bytes_per_line);
    }
    if (shot) XDestroyImage(shot);
    window->close();
    return screen;
}

}  // namespace nimbo::bench
