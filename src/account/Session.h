#pragma once
// The kept sign-in: restored at launch, saved again before quitting.
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"

namespace nimbo::Session {

// The server host whose session is kept; absent until a session exists.
extern std::optional<std::string> host;

// Restores a kept session for `origin`, then calls `done` on the main queue.
void restore(platform::Platform& platform, const std::string& origin, std::function<void()> done);

// Keeps the current session cookie now, then calls `done`.
void keepNow(platform::Platform& platform, std::function<void()> done);

}  // namespace nimbo::Session
