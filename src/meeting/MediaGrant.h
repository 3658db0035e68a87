#pragma once
// Microphone requests from pages are granted only to the shell's own origin.
#include <string>

#include "platform/Defaults.h"

namespace nimbo::MediaGrant {

inline std::string appOrigin;

// Whether a page of `origin` may use the microphone and camera: a loopback
// host, or the host of the server origin now or of the last launch. Only the
// host is compared.
bool isNimbo(const std::string& origin, const platform::Defaults& defaults);

}  // namespace nimbo::MediaGrant
