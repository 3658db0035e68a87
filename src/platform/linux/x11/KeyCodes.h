#pragma once
// X key codes to the virtual key codes of the design's keyboard (an ANSI Mac
// keyboard). X key codes are evdev codes plus 8 on every modern server, so
// the mapping is by physical position, as virtual key codes are.

namespace nimbo::x11 {

// The virtual key code for an X hardware key code, or -1 when that key has none.
int virtualKeyCode(unsigned hardwareKeyCode);

// The X hardware key code of a virtual key code (the left key of a pair, the
// main one of two that share a code), or -1 when no key has it.
int hardwareKeyCode(int virtualKeyCode);

}  // namespace nimbo::x11
