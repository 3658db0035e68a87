#include "TestApp.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace nimbo::test {

TestApp::TestApp(int x, int y, const std::vector<std::string>& options) {
    std::vector<std::string> argv{NIMBO_TEST_APP, "--at", std::to_string(x) + "," + std::to_string(y)};
    argv.insert(argv.end(), options.begin(), options.end());
    child_ = std::make_unique<Child>(argv, std::vector<std::pair<std::string, std::string>>{},
                                     folder_.path() + "/stdout.txt");
    if (!waitUntil([&] { return said("ready"); }, 20.0)) {
        throw std::runtime_error("the test application did not show; it said: " +
                                 readFile(folder_.path() + "/stdout.txt"));
    }
}

bool TestApp::said(const std::string& line) const {
    return ("\n" + readFile(folder_.path() + "/stdout.txt")).find("\n" + line + "\n") != std::string::npos;
}

std::optional<Rect> TestApp::placed(const std::string& name) const {
    std::istringstream lines(readFile(folder_.path() + "/stdout.txt"));
    const std::string prefix = "placed " + name + " ";
    for (std::string line; std::getline(lines, line);) {
        int x = 0, y = 0, width = 0, height = 0;
        if (line.rfind(prefix, 0) == 0 &&
            std::sscanf(line.c_str() + prefix.size(), "%d,%d %dx%d", &x, &y, &width, &height) == 4) {
            return Rect{{double(x), double(y)}, {double(width), double(height)}};
        }
    }
    return std::nullopt;
}

platform::AXRef TestApp::element(platform::Accessibility& accessibility) {
    platform::AXRef app;
    waitUntil([&] { return (app = accessibility.application(pid())) != nullptr; }, 20.0);
    return app;
}

const std::vector<std::string>& walkAttributes() {
    static const std::vector<std::string> names{
        "AXRole",     "AXSubrole", "AXTitle",     "AXDescription", "AXValue",           "AXPlaceholderValue",
        "AXPosition", "AXSize",    "AXChildren",  "AXVisibleRows", "AXVisibleChildren", "AXContents",
        "AXHelp",     "AXURL",     "AXIdentifier"};
    return names;
}

std::vector<Seen> walkAll(platform::Accessibility& accessibility, const platform::AXRef& root) {
    std::vector<Seen> seen;
    std::vector<platform::AXRef> stack{root};
    while (!stack.empty() && seen.size() < 5000) {
        platform::AXRef element = stack.back();
        stack.pop_back();
        auto values = accessibility.copyMultiple(element, walkAttributes());
        if (!values || values->size() != walkAttributes().size()) continue;
        const auto& v = *values;
        Seen one{element, "", "", {}, {}, v[4], 0};
        if (auto* role = std::get_if<std::string>(&v[0])) one.role = *role;
        if (auto* title = std::get_if<std::string>(&v[2])) one.title = *title;
        if (auto* placeholder = std::get_if<std::string>(&v[5])) one.placeholder = *placeholder;
        auto* position = std::get_if<Point>(&v[6]);
        auto* size = std::get_if<Size>(&v[7]);
        if (position && size) one.frame = Rect{*position, *size};
        if (auto* rows = std::get_if<std::vector<platform::AXRef>>(&v[9])) one.visibleRows = rows->size();
        if (auto* children = std::get_if<std::vector<platform::AXRef>>(&v[8])) {
            for (auto it = children->rbegin(); it != children->rend(); ++it) stack.push_back(*it);
        }
        seen.push_back(std::move(one));
    }
    return seen;
}

const Seen* find(const std::vector<Seen>& seen, const std::string& role, const std::string& title) {
    for (const Seen& one : seen) {
        if (one.role == role && (title.empty() || one.title == title)) return &one;
    }
    return nullptr;
}

}  // namespace nimbo::test
