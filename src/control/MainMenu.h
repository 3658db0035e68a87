#pragma once
// The application's main menu: settings, hide and quit; the standard edit
// commands for the control center's page; the window commands.
#include <functional>

#include "platform/Platform.h"

namespace nimbo::MainMenu {

void install(platform::Platform& platform, std::function<void()> showSettings);

}  // namespace nimbo::MainMenu
