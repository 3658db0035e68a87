#pragma once
// One page window under test: its messages to the "nimbo" handler are kept,
// scripts run in it synchronously (through the main loop), loads are awaited.
#include <memory>
#include <string>
#include <vector>

#include "platform/Windows.h"

namespace nimbo::test {

class PageHarness {
public:
    // A window with the page script (when `withBridge`) and the "nimbo" handler.
    explicit PageHarness(bool withBridge = true);
    ~PageHarness();

    platform::WebView& web() { return window_->web(); }

    // Loads and waits for the load to finish; false on failure or time-out.
    bool open(const std::string& url);
    // Runs an async function body and waits for its answer.
    platform::ScriptResult run(const std::string& body, const Json& arguments = Json::object());
    // Starts one without waiting; `*done` turns true with the answer in `*result`.
    void start(const std::string& body, const Json& arguments, std::shared_ptr<platform::ScriptResult> result,
               std::shared_ptr<bool> done);

    const std::vector<platform::ScriptMessage>& messages() const { return messages_; }
    // Main-frame bodies posted on `channel` since the last clear, in order.
    std::vector<Json> bodiesOn(const std::string& channel) const;
    bool waitForBodies(const std::string& channel, size_t count, double seconds = 10.0) const;
    void clear() { messages_.clear(); }

private:
    std::shared_ptr<platform::PageWindow> window_;
    std::vector<platform::ScriptMessage> messages_;
};

}  // namespace nimbo::test
