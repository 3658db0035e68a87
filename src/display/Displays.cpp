#include "display/Displays.h"

#include "display/NumberText.h"

namespace nimbo::Displays {

std::vector<std::string> layout(const platform::Screens& screens) {
    using NumberText::shortest;
    std::vector<std::string> lines;
    for (const auto& screen : screens.screens()) {
        Rect cut = notch(screen).value_or(Rect{});
        const Rect& f = screen.frame;
        lines.push_back(std::to_string(screen.number.value_or(0)) + " " + shortest(f.origin.x) + "," +
                        shortest(f.origin.y) + " " + shortest(f.size.width) + "x" + shortest(f.size.height) + " @" +
                        shortest(screen.backingScale) + " notch " + shortest(cut.origin.x) + " " +
                        shortest(cut.size.width) + "x" + shortest(cut.size.height));
    }
    return lines;
}

std::optional<Rect> notch(const platform::Screen& screen) {
    if (!(screen.safeAreaTop > 0)) return std::nullopt;
    if (!screen.auxiliaryTopLeft || !screen.auxiliaryTopRight) return std::nullopt;
    double gap = screen.auxiliaryTopRight->minX() - screen.auxiliaryTopLeft->maxX();
    if (!(gap > 0)) return std::nullopt;
    return Rect{{screen.auxiliaryTopLeft->maxX(), 0}, {gap, screen.safeAreaTop}};
}

double primaryHeight(const platform::Screens& screens) {
    auto list = screens.screens();
    return list.empty() ? 0 : list.front().frame.maxY();
}

Rect topLeftBounds(const platform::Screens& screens, const platform::Screen& screen) {
    const Rect& f = screen.frame;
    return {{f.origin.x, primaryHeight(screens) - f.maxY()}, f.size};
}

Rect toAppKit(const platform::Screens& screens, const Rect& rect) {
    return {{rect.origin.x, primaryHeight(screens) - rect.origin.y - rect.size.height}, rect.size};
}

std::optional<platform::Screen> holding(const platform::Screens& screens, Point point) {
    for (const auto& screen : screens.screens()) {
        const Rect& f = screen.frame;
        if (point.x >= f.minX() && point.x < f.maxX() && point.y > f.minY() && point.y <= f.maxY()) return screen;
    }
    return std::nullopt;
}

std::optional<platform::Screen> screenAt(const platform::Screens& screens, Point point) {
    if (auto screen = holding(screens, point)) return screen;
    return screens.mainScreen();
}

}  // namespace nimbo::Displays
