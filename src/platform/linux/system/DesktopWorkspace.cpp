#include "platform/linux/system/DesktopWorkspace.h"

#include <gio/gio.h>

namespace nimbo::x11 {

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

}  // namespace nimbo::x11
