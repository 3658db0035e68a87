#pragma once
// A loopback HTTP server whose answers the test writes, reachable as both
// 127.0.0.1 and localhost: two hosts, hence two origins.
#include <libsoup/soup.h>

#include <functional>
#include <string>

#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::test {

class PageServer {
public:
    struct Answer {
        int status = 200;
        std::string html{};
        std::string location{};  // sent as Location when set
    };
    // Called on the main loop for every request with its path and query.
    using Handler = std::function<Answer(const std::string& path, const std::string& query)>;

    explicit PageServer(Handler handler);
    ~PageServer();
    PageServer(const PageServer&) = delete;
    PageServer& operator=(const PageServer&) = delete;

    std::string url(const std::string& host, const std::string& pathAndQuery) const;
    std::string url(const std::string& pathAndQuery) const { return url("127.0.0.1", pathAndQuery); }
    std::string origin(const std::string& host = "127.0.0.1") const;

private:
    static void serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer data);

    Handler handler_;
    x11::GObjectPtr<SoupServer> server_;
    int port_ = 0;
};

}  // namespace nimbo::test
