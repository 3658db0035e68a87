#pragma once
// Screens whose words are known, for measuring text recognition: drawn here
// from known text, or shown by WebKit and read back from the X server.
#include <string>
#include <vector>

#include "platform/Images.h"
#include "platform/Platform.h"

namespace nimbo::bench {

struct KnownScreen {
    std::string name;
    platform::Image image;
    std::vector<std::string> words;  // as `words` splits them
};

// A text editor's window full of prose.
KnownScreen denseTextWindow();
// A settings dialog: a sidebar, rows of labels, descriptions, switches and buttons.
KnownScreen settingsDialog();
// A web page in a WebKit window of the backend; absent image when it could not be shown.
KnownScreen webPage(platform::Platform& platform);

// Lower-case runs of letters and digits.
std::vector<std::string> words(const std::string& text);
// The share of `known` found in `seen`, each word counted as often as it occurs.
double recall(const std::vector<std::string>& known, const std::vector<std::string>& seen);

}  // namespace nimbo::bench
