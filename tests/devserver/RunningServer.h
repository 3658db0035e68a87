#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <httplib.h>

#include "Server.h"

// A server on a free loopback port with its own data folder, for one test.
class RunningServer {
public:
    explicit RunningServer(devserver::Options options = {}) {
        char pattern[] = "/tmp/nimbo-devserver-test-XXXXXX";
        data = ::mkdtemp(pattern);
        options.port = 0;
        options.data = data;
        server = std::make_unique<devserver::Server>(options);
        port = server->bind();
        // Bound means listening: requests queue until run() accepts them.
        thread = std::thread([this] { server->run(); });
    }
    ~RunningServer() {
        server->stop();
        thread.join();
        std::filesystem::remove_all(data);
    }

    httplib::Client client() const { return httplib::Client("127.0.0.1", port); }

    std::filesystem::path data;
    std::unique_ptr<devserver::Server> server;
    int port = -1;
    std::thread thread;
};
