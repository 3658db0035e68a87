#pragma once

// Page texts embedded at build time from devserver/pages/, so the binary needs
// no files beside it.
namespace nimbo {
const char* devserverOverlayPage();
const char* devserverCaptionPage();
const char* devserverControlPage();
const char* devserverSigninPage();
}  // namespace nimbo
