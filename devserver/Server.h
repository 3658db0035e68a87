#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "Auth.h"
#include "Meetings.h"
#include "Options.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace devserver {

// The reference server: the shell's pages and its small HTTP interface.
class Server {
public:
    explicit Server(Options options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Binds and starts listening, so connections queue up from here on even before
    // run() accepts them. Answers the port (the chosen one for port 0), or -1.
    int bind();

    // Serves until stop(); answers false if serving could not start.
    bool run();

    // Safe from any thread, before, during or after run().
    void stop();

    const Options& options() const { return options_; }

private:
    void addRoutes();
    // Checks the marks of a meeting request; answers the session state ("known",
    // "unknown", "none"), or nothing when it has already refused the request.
    std::optional<std::string> admit(const httplib::Request& req, httplib::Response& res, const std::string& id,
                                     const std::string& what);

    Options options_;
    std::unique_ptr<httplib::Server> http_;
    Auth auth_;
    Meetings meetings_;
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> runEntered_{false};
    std::atomic<bool> runExited_{false};
};

}  // namespace devserver
