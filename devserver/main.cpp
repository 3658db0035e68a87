#include <pthread.h>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include "Server.h"

int main(int argc, char** argv) {
    std::string error;
    auto options = devserver::parseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        if (!error.empty()) std::cerr << "nimbo-devserver: " << error << "\n";
        std::cerr << devserver::usage();
        return error.empty() ? 0 : 2;
    }

    // Block the stop signals before any thread starts, so only the waiter below
    // takes them and the server is stopped outside signal-handler context.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    devserver::Server server(*options);
    int port = server.bind();
    if (port < 0) {
        std::cerr << "nimbo-devserver: couldn't listen on " << options->host << ":" << options->port << "\n";
        return 1;
    }
    std::cerr << "nimbo-devserver: meeting uploads go to " << options->data.string() << "\n";
    // Scripts and tests read the port from this line, so it goes out at once.
    std::cout << "nimbo-devserver: listening on http://" << options->host << ":" << port << std::endl;

    std::thread waiter([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    });
    bool served = server.run();
    // If serving ended on its own, wake the waiter the same way a user would.
    // The waiter takes the signal in sigwait; it does not end the thread.
    if (!served) pthread_kill(waiter.native_handle(), SIGTERM);  // NOLINT(bugprone-bad-signal-to-kill-thread)
    waiter.join();
    return served ? 0 : 1;
}
