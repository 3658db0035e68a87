#pragma once
// Terminal emulators keep Ctrl+V for the program running in them and paste
// with Ctrl+Shift+V instead.
#include "platform/linux/x11/FocusedWindow.h"

namespace nimbo::x11 {

// Whether the window class is a terminal emulator's.
bool isTerminal(const WindowClass& windowClass);

}  // namespace nimbo::x11
