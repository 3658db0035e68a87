#include "screen/Roles.h"

#include <map>
#include <set>

namespace nimbo::Elements {

namespace {

bool among(const std::set<std::string, std::less<>>& table, const std::string& role) {
    return table.contains(role);
}

}  // namespace

bool clickable(const std::string& role) {
    static const std::set<std::string, std::less<>> table = {
        "AXButton",   "AXLink",        "AXPopUpButton",        "AXMenuButton",
        "AXCheckBox", "AXRadioButton", "AXDisclosureTriangle", "AXIncrementor",
        "AXComboBox"};
    return among(table, role);
}

bool container(const std::string& role) {
    static const std::set<std::string, std::less<>> table = {
        "AXWindow",         "AXSheet",      "AXDrawer",     "AXWebArea",     "AXScrollArea", "AXSplitGroup",
        "AXList",           "AXOutline",    "AXTable",      "AXBrowser",     "AXToolbar",    "AXTabGroup",
        "AXGroup",          "AXRadioGroup", "AXLayoutArea", "AXApplication", "AXSplitter",   "AXScrollBar",
        "AXValueIndicator", "AXMenuBar",    "AXMenu",       "AXUnknown"};
    return among(table, role);
}

bool listLike(const std::string& role) {
    static const std::set<std::string, std::less<>> table = {"AXList", "AXOutline", "AXTable", "AXBrowser", "AXGrid"};
    return among(table, role);
}

bool interactive(const std::string& role) {
    static const std::set<std::string, std::less<>> table = {"AXButton",
                                                             "AXCheckBox",
                                                             "AXRadioButton",
                                                             "AXPopUpButton",
                                                             "AXMenuButton",
                                                             "AXMenuItem",
                                                             "AXMenuBarItem",
                                                             "AXTextField",
                                                             "AXTextArea",
                                                             "AXComboBox",
                                                             "AXLink",
                                                             "AXSlider",
                                                             "AXDisclosureTriangle",
                                                             "AXIncrementor",
                                                             "AXColorWell",
                                                             "AXTab",
                                                             "AXCell",
                                                             "AXRow",
                                                             "AXSearchField"};
    return among(table, role);
}

bool named(const std::string& role) {
    static const std::set<std::string, std::less<>> table = {
        "AXButton",      "AXMenuButton",         "AXPopUpButton", "AXMenuItem",
        "AXMenuBarItem", "AXCheckBox",           "AXRadioButton", "AXTab",
        "AXLink",        "AXTextField",          "AXSearchField", "AXSlider",
        "AXComboBox",    "AXDisclosureTriangle", "AXIncrementor", "AXColorWell"};
    return among(table, role);
}

std::string word(const std::string& role, const std::optional<std::string>& subrole) {
    if (role == "AXCheckBox") return subrole == "AXSwitch" ? "switch" : "checkbox";
    if (role == "AXRadioButton") return subrole == "AXTabButton" ? "tab" : "radio button";
    static const std::map<std::string, std::string, std::less<>> words = {
        {"AXButton", "button"},
        {"AXMenuButton", "dropdown"},
        {"AXPopUpButton", "dropdown"},
        {"AXMenuItem", "menu item"},
        {"AXMenuBarItem", "menu"},
        {"AXTextField", "text field"},
        {"AXSearchField", "text field"},
        {"AXTextArea", "text area"},
        {"AXComboBox", "combo box"},
        {"AXTab", "tab"},
        {"AXLink", "link"},
        {"AXSlider", "slider"},
        {"AXIncrementor", "stepper"},
        {"AXDisclosureTriangle", "disclosure"},
        {"AXRow", "row"},
        {"AXCell", "row"},
        {"AXImage", "image"},
        {"AXHeading", "heading"},
        {"AXStaticText", "label"},
        {"AXColorWell", "color picker"},
    };
    auto found = words.find(role);
    return found == words.end() ? "element" : found->second;
}

}  // namespace nimbo::Elements
