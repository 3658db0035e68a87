#include "control/MainMenu.h"

#include <string>
#include <utility>
#include <vector>

namespace nimbo::MainMenu {
namespace {

using platform::MenuItem;
namespace Modifier = platform::MenuModifier;

MenuItem standard(std::string title, std::string action, std::string key, std::uint64_t modifiers = Modifier::command) {
    MenuItem item;
    item.title = std::move(title);
    item.standardAction = std::move(action);
    item.key = std::move(key);
    item.modifiers = modifiers;
    return item;
}

MenuItem menu(std::string title, std::vector<MenuItem> items) {
    MenuItem item;
    item.title = std::move(title);
    item.submenu = std::move(items);
    return item;
}

}  // namespace

void install(platform::Platform& platform, std::function<void()> showSettings) {
    MenuItem settings;
    settings.title = "Settings…";
    settings.key = ",";
    settings.perform = std::move(showSettings);
    MenuItem quit;
    quit.title = "Quit nimbo";
    quit.key = "q";
    quit.perform = [&application = platform.application()] { application.requestTerminate(); };

    platform.menuBar().install({
        menu("", {settings, MenuItem::separatorItem(), standard("Hide nimbo", "hide:", "h"), MenuItem::separatorItem(),
                  quit}),
        menu("Edit",
             {standard("Undo", "undo:", "z"), standard("Redo", "redo:", "z", Modifier::shift | Modifier::command),
              MenuItem::separatorItem(), standard("Cut", "cut:", "x"), standard("Copy", "copy:", "c"),
              standard("Paste", "paste:", "v"), standard("Select All", "selectAll:", "a")}),
        menu("Window",
             {standard("Close", "performClose:", "w"), standard("Minimize", "performMiniaturize:", "m"),
              MenuItem::separatorItem(),
              standard("Enter Full Screen", "toggleFullScreen:", "f", Modifier::control | Modifier::command)}),
    });
}

}  // namespace nimbo::MainMenu
