#include "platform/linux/gtk/SharedCookies.h"

#include <libsoup/soup.h>
#include <webkit2/webkit2.h>

#include <memory>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

void SharedCookies::all(std::function<void(std::vector<platform::Cookie>)> done) {
    WebKitCookieManager* manager = webkit_web_context_get_cookie_manager(webkit_web_context_get_default());
    auto* heap = new std::function<void(std::vector<platform::Cookie>)>(std::move(done));
    // The completion runs on the main context, which is the main queue.
    webkit_cookie_manager_get_all_cookies(
        manager, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::function<void(std::vector<platform::Cookie>)>> reply(
                static_cast<std::function<void(std::vector<platform::Cookie>)>*>(data));
            GErrorPtr error;
            GList* list =
                webkit_cookie_manager_get_all_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, error.out());
            std::vector<platform::Cookie> cookies;
            for (GList* item = list; item; item = item->next) {
                auto* cookie = static_cast<SoupCookie*>(item->data);
                platform::Cookie out;
                out.name = soup_cookie_get_name(cookie) ? soup_cookie_get_name(cookie) : "";
                out.value = soup_cookie_get_value(cookie) ? soup_cookie_get_value(cookie) : "";
                out.domain = soup_cookie_get_domain(cookie) ? soup_cookie_get_domain(cookie) : "";
                out.path = soup_cookie_get_path(cookie) ? soup_cookie_get_path(cookie) : "";
                if (GDateTime* expires = soup_cookie_get_expires(cookie))
                    out.expires = static_cast<double>(g_date_time_to_unix(expires));
                out.secure = soup_cookie_get_secure(cookie);
                out.httpOnly = soup_cookie_get_http_only(cookie);
                cookies.push_back(std::move(out));
            }
            g_list_free_full(list, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
            if (*reply) (*reply)(std::move(cookies));
        },
        heap);
}

}  // namespace nimbo::x11
