#include <cmath>
#include <map>
#include <set>
#include <vector>

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "screen/Desktop.h"
#include "screen/Elements.h"
#include "screen/Menus.h"

namespace nimbo::Menus {

namespace {

// Each request to the application gives up after this long; the whole read after kBudget.
constexpr double kMessagingTimeout = 1.5;
constexpr double kBudget = 2.5;
constexpr size_t kMostCommands = 1500;
constexpr int kDeepest = 4;

// Keys without a character, by the menu glyph that names them.
const std::map<int, std::string>& glyphs() {
    static const std::map<int, std::string> table{
        {2, "⇥"},    {4, "⌤"},    {9, "Space"}, {10, "⌦"},    {11, "↩"},    {23, "⌫"},    {27, "⎋"},
        {98, "⇞"},   {107, "⇟"},  {100, "←"},   {101, "→"},   {104, "↑"},   {106, "↓"},   {115, "↖"},
        {116, "↘"},  {111, "F1"}, {112, "F2"},  {113, "F3"},  {114, "F4"},  {117, "F5"},  {118, "F6"},
        {119, "F7"}, {120, "F8"}, {121, "F9"},  {122, "F10"}, {123, "F11"}, {124, "F12"},
    };
    return table;
}

std::string upper(const std::string& text) {
    auto unicode = icu::UnicodeString::fromUTF8(text);
    unicode.toUpper(icu::Locale::getRoot());
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

std::string lower(const std::string& text) {
    auto unicode = icu::UnicodeString::fromUTF8(text);
    unicode.toLower(icu::Locale::getRoot());
    std::string out;
    unicode.toUTF8String(out);
    return out;
}

bool hasControl(const std::string& text) {
    auto unicode = icu::UnicodeString::fromUTF8(text);
    for (int32_t at = 0; at < unicode.length(); at = unicode.moveIndex32(at, 1)) {
        auto kind = u_charType(unicode.char32At(at));
        if (kind == U_CONTROL_CHAR || kind == U_FORMAT_CHAR) return true;
    }
    return false;
}

int integer(const platform::AXValue& value) {
    const auto* number = std::get_if<double>(&value);
    if (!number || !std::isfinite(*number) || std::abs(*number) > 1e9) return 0;
    return static_cast<int>(*number);
}

// The key's character: a lone space is a key of its own, which trimming would lose.
std::optional<std::string> keyCharacter(const platform::AXValue& value) {
    if (const auto* text = std::get_if<std::string>(&value); text && *text == " ") return *text;
    return Elements::str(value);
}

struct Walk {
    explicit Walk(platform::Clock& time) : clock(time) {}
    platform::Clock& clock;
    std::set<std::string> windowTitles;
    double deadline = 0;
    Json commands = Json::array();

    bool over() const { return commands.size() >= kMostCommands || clock.now() >= deadline; }
};

std::vector<platform::AXRef> submenusOf(const platform::AXValue& itemChildren) {
    std::vector<platform::AXRef> submenus;
    for (const auto& child : Elements::children(itemChildren)) {
        if (Elements::str(Elements::many(child, {"AXRole"})[0]) == "AXMenu") submenus.push_back(child);
    }
    return submenus;
}

void walkMenu(Walk& walk, const platform::AXRef& menu, const std::vector<std::string>& path, int depth) {
    for (const auto& item : Elements::children(Elements::many(menu, {"AXChildren"})[0])) {
        if (walk.over()) return;
        auto values = Elements::many(item, {"AXTitle", "AXMenuItemCmdChar", "AXMenuItemCmdModifiers",
                                            "AXMenuItemCmdGlyph", "AXEnabled", "AXChildren"});
        // Separators have no title.
        auto title = Elements::str(values[0]);
        if (!title) continue;
        // The list of open windows is not a command.
        if (path.front() == "Window" && walk.windowTitles.contains(*title)) continue;
        auto itemPath = path;
        itemPath.push_back(*title);
        auto submenus = submenusOf(values[5]);
        if (submenus.empty()) {
            Json command{{"path", itemPath}};
            auto key = shortcut(keyCharacter(values[1]), integer(values[2]), integer(values[3]));
            if (key) command["key"] = *key;
            if (const auto* enabled = std::get_if<bool>(&values[4]); enabled && !*enabled) command["enabled"] = false;
            walk.commands.push_back(std::move(command));
            continue;
        }
        // Recent documents and services are lists of things, not commands.
        auto lowered = lower(*title);
        if (lowered.find("recent") != std::string::npos || lowered == "services") continue;
        if (depth >= kDeepest) continue;
        for (const auto& submenu : submenus) walkMenu(walk, submenu, itemPath, depth + 1);
    }
}

}  // namespace

Json read(int pid) {
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return Json::array();
    auto& ax = desktop->accessibility();
    auto app = ax.application(pid);
    if (!app) return Json::array();
    ax.setMessagingTimeout(app, kMessagingTimeout);
    auto bar = ax.copy(app, "AXMenuBar");
    const auto* barElement = bar ? std::get_if<platform::AXRef>(&*bar) : nullptr;
    if (!barElement || !*barElement) return Json::array();

    Walk walk(desktop->clock());
    if (auto windows = ax.copy(app, "AXWindows")) {
        for (const auto& window : Elements::children(*windows)) {
            if (auto title = Elements::str(Elements::many(window, {"AXTitle"})[0])) walk.windowTitles.insert(*title);
        }
    }
    walk.deadline = walk.clock.now() + kBudget;

    for (const auto& barItem : Elements::children(Elements::many(*barElement, {"AXChildren"})[0])) {
        if (walk.over()) break;
        auto values = Elements::many(barItem, {"AXTitle", "AXChildren"});
        auto title = Elements::str(values[0]);
        if (!title || *title == "Apple") continue;
        for (const auto& menu : Elements::children(values[1])) walkMenu(walk, menu, {*title}, 1);
    }
    return std::move(walk.commands);
}

std::optional<std::string> shortcut(const std::optional<std::string>& character, int mods, int glyph) {
    std::string key = character ? upper(*character) : "";
    if (key.empty()) {
        if (auto found = glyphs().find(glyph); found != glyphs().end()) key = found->second;
    }
    if (key == " ") key = "Space";
    if (key.empty() || hasControl(key)) return std::nullopt;
    std::string symbols;
    if ((mods & 4) != 0) symbols += "⌃";
    if ((mods & 2) != 0) symbols += "⌥";
    if ((mods & 1) != 0) symbols += "⇧";
    if ((mods & 8) == 0) symbols += "⌘";
    return symbols + key;
}

}  // namespace nimbo::Menus
