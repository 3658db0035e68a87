#include "platform/linux/system/DesktopWorkspace.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <vector>

namespace nimbo::x11 {
namespace {

struct Emulator {
    const char* program;
    const char* runs;  // the option after which the command comes
};

// The distribution's choice first; the others run a command each their own way.
constexpr Emulator kEmulators[] = {{"x-terminal-emulator", "-e"},
                                   {"gnome-terminal", "--"},
                                   {"konsole", "-e"},
                                   {"xfce4-terminal", "-x"},
                                   {"xterm", "-e"}};

struct FoundEmulator {
    std::string path;
    const char* runs = nullptr;
};

std::optional<FoundEmulator> findTerminal() {
    for (const auto& emulator : kEmulators) {
        if (gchar* path = g_find_program_in_path(emulator.program)) {
            FoundEmulator found{path, emulator.runs};
            g_free(path);
            return found;
        }
    }
    return std::nullopt;
}

bool onPath(const char* program) {
    gchar* path = g_find_program_in_path(program);
    g_free(path);
    return path != nullptr;
}

bool hasVSCode() {
    if (onPath("code")) return true;
    if (GDesktopAppInfo* entry = g_desktop_app_info_new("code.desktop")) {
        g_object_unref(entry);
        return true;
    }
    GAppInfo* handler = g_app_info_get_default_for_uri_scheme("vscode");
    if (!handler) return false;
    g_object_unref(handler);
    return true;
}

}  // namespace

bool DesktopWorkspace::openURL(const std::string& url) {
    // Asking GIO which application takes the scheme is quick; the launch
    // itself runs without waiting for the application.
    gchar* scheme = g_uri_parse_scheme(url.c_str());
    if (!scheme) return false;
    GAppInfo* handler = g_app_info_get_default_for_uri_scheme(scheme);
    g_free(scheme);
    if (!handler) return false;
    GList uris{const_cast<gchar*>(url.c_str()), nullptr, nullptr};
    const bool launched = g_app_info_launch_uris(handler, &uris, nullptr, nullptr);
    g_object_unref(handler);
    return launched;
}

bool DesktopWorkspace::hasApplication(const std::string& bundleId) {
    if (bundleId == "com.microsoft.VSCode") return hasVSCode();
    if (bundleId == "com.apple.Terminal") return findTerminal().has_value();
    return false;
}

std::optional<std::string> DesktopWorkspace::openInTerminal(const std::string& script) {
    auto terminal = findTerminal();
    if (!terminal) return "no terminal emulator is installed";
    std::vector<char*> argv{terminal->path.data(), const_cast<char*>(terminal->runs), const_cast<char*>(script.c_str()),
                            nullptr};
    // Started through an intermediate child that GLib reaps, so the terminal
    // outlives nothing of ours and leaves no zombie; a failed exec is still told.
    GError* error = nullptr;
    const auto flags =
        static_cast<GSpawnFlags>(G_SPAWN_STDIN_FROM_DEV_NULL | G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
    if (g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, nullptr, &error)) return std::nullopt;
    std::string why = error ? error->message : "the terminal didn't start";
    g_clear_error(&error);
    return why;
}

}  // namespace nimbo::x11
