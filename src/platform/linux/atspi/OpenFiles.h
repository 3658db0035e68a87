#pragma once
// Which file a window shows, told from outside the application: AT-SPI has
// no document attribute for most toolkits' windows, but the process holds
// the file it shows open, and the window's title names it.
#include <optional>
#include <string>

#include "platform/linux/atspi/CallPipe.h"

namespace nimbo::atspi {

// The regular file `pid` holds open whose base name the title shows (the
// longest such name when several do; else, when exactly one file's name
// without its extension shows, that one). Devices, sockets, pipes, deleted
// files, what lives under /proc or /sys, libraries, fonts, caches and the
// user's configuration, state and logs are never the answer. Reads only
// /proc; gives up at the deadline.
std::optional<std::string> openFileNamedIn(int pid, const std::string& title, Deadline deadline);

// A document address as an application states it: a URL as it stands, an
// absolute path as a file URL; nothing for anything else.
std::optional<std::string> documentAddress(const std::string& stated);

// The file URL of an absolute path, percent-encoded.
std::optional<std::string> fileUrl(const std::string& path);

}  // namespace nimbo::atspi
