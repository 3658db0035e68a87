#pragma once
// The dialogs a page of a window asks for, as GTK dialogs modal to that
// window (GTK's counterpart of a sheet). Each answers once, through `done`,
// when the user closes it.
#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

namespace nimbo::x11 {

// One button, "OK".
void runAlert(GtkWindow* parent, const std::string& message, std::function<void()> done);
// "OK" and "Cancel"; true only for "OK".
void runConfirm(GtkWindow* parent, const std::string& message, std::function<void(bool)> done);
// Files can always be chosen; folders too when `directories` is set. The
// chosen paths, or none when cancelled.
void runOpenPanel(GtkWindow* parent, bool multiple, bool directories,
                  std::function<void(std::vector<std::string>)> done);

}  // namespace nimbo::x11
