#pragma once
// WebKit learns a new page process's id from a message the process sends as
// its first act. When the process dies before sending it, WebKit's launcher
// raises a fatal GLib error and the whole program aborts. The guard turns that
// one case into an ordinary renderer crash, which the views already recover from.

namespace nimbo::x11 {

// Arms the guard for the rest of the process; call once, before the first web
// view. Logs a line when it can't take effect.
void guardRendererLaunches();

}  // namespace nimbo::x11
