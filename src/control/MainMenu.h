#pragma once
// The application's main menu.

namespace nimbo::MainMenu {

inline void install() {}

}  // namespace nimbo::MainMenu
