#include "PageServer.h"

#include <stdexcept>

namespace nimbo::test {

PageServer::PageServer(Handler handler) : handler_(std::move(handler)) {
    server_ = x11::GObjectPtr<SoupServer>::adopt(soup_server_new(nullptr, nullptr));
    soup_server_add_handler(server_.get(), nullptr, &PageServer::serve, this, nullptr);
    x11::GErrorPtr error;
    if (!soup_server_listen_local(server_.get(), 0, SOUP_SERVER_LISTEN_IPV4_ONLY, error.out()))
        throw std::runtime_error(error->message);
    GSList* uris = soup_server_get_uris(server_.get());
    port_ = g_uri_get_port(static_cast<GUri*>(uris->data));
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
}

PageServer::~PageServer() {
    soup_server_disconnect(server_.get());
}

std::string PageServer::origin(const std::string& host) const {
    return "http://" + host + ":" + std::to_string(port_);
}

std::string PageServer::url(const std::string& host, const std::string& pathAndQuery) const {
    return origin(host) + pathAndQuery;
}

void PageServer::serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer data) {
    auto* self = static_cast<PageServer*>(data);
    const char* query = g_uri_get_query(soup_server_message_get_uri(message));
    const Answer answer = self->handler_(path, query ? query : "");
    if (!answer.location.empty())
        soup_message_headers_replace(soup_server_message_get_response_headers(message), "Location",
                                     answer.location.c_str());
    soup_server_message_set_status(message, static_cast<guint>(answer.status), nullptr);
    soup_server_message_set_response(message, "text/html", SOUP_MEMORY_COPY, answer.html.data(), answer.html.size());
}

}  // namespace nimbo::test
