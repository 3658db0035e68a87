#pragma once
// Reading the properties of X windows (EWMH lists, names, pids).
#include <X11/Xlib.h>

#include <string>
#include <vector>

namespace nimbo::x11 {

// A format-32 property of `type`, at most `maxItems` of them; empty when the
// property is missing or of another type.
std::vector<unsigned long> windowProperty(Display* display, Window window, Atom property, Atom type,
                                          long maxItems = 64);

// A format-8 text property of `type`; empty when missing or of another type.
std::string textProperty(Display* display, Window window, Atom property, Atom type);

}  // namespace nimbo::x11
