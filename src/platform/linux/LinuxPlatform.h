#pragma once
// The X11 desktop behind the seam (GTK 3, WebKitGTK 4.1, Xlib, XInput 2, RandR).
//
// Implemented:
//  [x] Clock            g_get_monotonic_time / g_get_real_time
//  [x] MainQueue        GLib default main context: post from any thread, one-shot and repeating timers
//  [x] Queues           a three-thread pool, user-initiated work before utility work
//  [x] Defaults         $XDG_CONFIG_HOME/nimbo/defaults.json, atomic writes, corrupt files kept aside
//  [x] Environment      getenv
//  [x] Bundle           nimbo.bundle.json beside the binary
//  [x] Stdio            descriptors 1 and 2, dup2 reopening, log folder under $XDG_STATE_HOME
//  [x] Application      gtk_main, SIGTERM/SIGINT/Ctrl+Q through the delegate's quit handshake,
//                       key events of the shell's windows, _NET_ACTIVE_WINDOW, RandR changes,
//                       monitor-list edits;
//                       a second launch reopens the running shell: "dev.nimbo.Shell" on the session bus
//  [x] Windows/WebView  GtkWindow + WebKitWebView: user scripts, "nimbo" handler with a
//                       main-frame proof, async calls with named arguments, load time-out,
//                       response status, renderer death; overlays (RGBA, keep-above, sticky,
//                       notification-typed, click-through by an empty input shape), stacking
//  [x] Permissions      root window readable, AT-SPI bus reachable, XInput 2 present
//  [x] Cookies          the default WebKit context's cookie store, shared by every page
//  [x] KeyTaps          XInput 2 raw key events (listen-only), passive grabs in sync mode (active),
//                       XTest posting with the marker, logind / screen-saver signals on D-Bus
//  [x] Screens          RandR 1.5 monitors (edited ones too), primary first; pointer location
//  [x] ScreenCapture    one monitor through XShm, the shell's windows rebuilt away from the
//                       other windows' Composite pixmaps; pointer from XFixes
//  [x] Images           Lanczos-3 scaling, libjpeg-turbo JPEG, linear grey
//  [x] Keychain         the Secret Service over D-Bus (libsecret), never prompting
//  [x] StatusItem       a StatusNotifierItem (libayatana-appindicator), its menu over dbusmenu
//  [x] MenuBar          the control window's menu bar and accelerators (Ctrl for Command)
//  [x] ControlWindows   an ordinary GtkWindow with a WebKitGTK view, GTK dialogs
//  [x] Workspace        addresses to GIO's default handler; VS Code by `code`, its desktop entry
//                       or a "vscode:" handler; scripts to x-terminal-emulator (or a common emulator)
//  [x] Processes        the listener of a TCP port from /proc/net/tcp{,6} and /proc/PID/fd,
//                       working directories from /proc/PID/cwd
//  [x] SyntheticInput   XTest clicks announced to the click watcher, XWarpPointer, keys through the
//                       key taps' poster; paste is Ctrl+V, or Ctrl+Shift+V in a terminal (WM_CLASS)
//  [x] Pasteboard       GTK's CLIPBOARD: every target read with bounded waits and offered back
//                       byte for byte; XFixes owner changes counted
//  [x] Documents        PDF by Poppler (C++); DOCX and ODT by libarchive + libxml2; HTML by libxml2;
//                       RTF and plain text (UTF-8, UTF-16, else Windows-1252) read here
// Lacking:
//  [ ] Wayland sessions (X11 and XWayland only; GDK is held to its X11 backend)
//  [ ] System Settings privacy panes: none on X desktops
//  [ ] Haptics: no haptic trackpads on X desktops
//  [ ] Documents: Word 97 binary (.doc) is not read; no kept library reads it
//  [ ] sharing type: X cannot keep a window out of another client's capture; the
//      shell's own capture leaves all of its windows out
#include <memory>

#include "platform/Platform.h"

namespace nimbo::x11 {

// Opens the display (GTK takes its own arguments out of argc/argv) and builds
// the backend with its standard locations.
std::unique_ptr<platform::Platform> makePlatform(int& argc, char**& argv);

}  // namespace nimbo::x11
