#include "PageHarness.h"

#include "Desktop.h"
#include "bridge/BridgeScript.h"

namespace nimbo::test {

PageHarness::PageHarness(bool withBridge) {
    platform::PageWindowOptions options;
    options.frame = Rect{{100, 100}, {640, 480}};
    options.title = "nimbo test page";
    window_ = desktop().windows().makePageWindow(options);
    if (withBridge) window_->web().addUserScript({bridgeScriptSource(), true});
    window_->web().setMessageHandler("nimbo",
                                     [this](const platform::ScriptMessage& message) { messages_.push_back(message); });
    window_->orderFront();
}

PageHarness::~PageHarness() {
    window_->web().setEvents({});
    window_->close();
}

bool PageHarness::open(const std::string& url) {
    return loadPage(web(), url);
}

void PageHarness::start(const std::string& body, const Json& arguments, std::shared_ptr<platform::ScriptResult> result,
                        std::shared_ptr<bool> done) {
    web().callAsync(body, arguments, [result, done](const platform::ScriptResult& answer) {
        *result = answer;
        *done = true;
    });
}

platform::ScriptResult PageHarness::run(const std::string& body, const Json& arguments) {
    return runScript(web(), body, arguments);
}

std::vector<Json> PageHarness::bodiesOn(const std::string& channel) const {
    std::vector<Json> bodies;
    for (const auto& message : messages_) {
        if (!message.fromMainFrame || !message.body || !message.body->is_object()) continue;
        auto it = message.body->find("channel");
        if (it != message.body->end() && *it == channel) bodies.push_back(*message.body);
    }
    return bodies;
}

bool PageHarness::waitForBodies(const std::string& channel, size_t count, double seconds) const {
    return waitUntil([&] { return bodiesOn(channel).size() >= count; }, seconds);
}

}  // namespace nimbo::test
