#include "platform/linux/x11/Terminals.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string_view>

namespace nimbo::x11 {
namespace {

// Terminals whose class does not say "terminal"; compared in lower case.
// clang-format off
constexpr std::string_view kNamed[] = {
    "xterm", "uxterm", "lxterm", "konsole", "yakuake", "alacritty", "kitty", "st", "st-256color", "tilix",
    "terminator", "terminology", "sakura", "guake", "tilda", "eterm", "aterm", "mlterm", "roxterm", "wezterm",
    "org.wezfurlong.wezterm", "kgx", "org.gnome.console", "ptyxis", "org.gnome.ptyxis", "cool-retro-term", "foot",
    "footclient", "contour", "hyper", "tabby", "rio", "ghostty", "com.mitchellh.ghostty", "blackbox",
    "com.raggesilver.blackbox", "zutty", "wterm", "kmscon", "cathode",
};
// clang-format on

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool terminalName(std::string_view text) {
    const std::string name = lower(text);
    if (name.empty()) return false;
    // gnome-terminal(-server), xfce4-terminal, mate-terminal, lxterminal,
    // x-terminal-emulator, io.elementary.terminal and their like.
    if (name.find("terminal") != std::string::npos) return true;
    // rxvt, urxvt, rxvt-unicode.
    if (name.rfind("rxvt", 0) == 0 || name.rfind("urxvt", 0) == 0) return true;
    return std::find(std::begin(kNamed), std::end(kNamed), name) != std::end(kNamed);
}

}  // namespace

bool isTerminal(const WindowClass& windowClass) {
    return terminalName(windowClass.instance) || terminalName(windowClass.name);
}

}  // namespace nimbo::x11
