#pragma once
// Microphone requests from pages are granted only to the shell's own origin.
#include <string>

namespace nimbo::MediaGrant {

inline std::string appOrigin;

}  // namespace nimbo::MediaGrant
