#pragma once
// An in-memory web view and its window: records what the shell asks of it and
// lets a test play the page's side.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Windows.h"

namespace nimbo::sim {

class SimWebView : public platform::WebView {
public:
    struct Call {
        std::string body;
        Json arguments;
    };

    void addUserScript(const platform::UserScript& script) override { userScripts.push_back(script); }
    void setMessageHandler(const std::string& name,
                           std::function<void(const platform::ScriptMessage&)> handler) override {
        handlers[name] = std::move(handler);
    }
    void setEvents(Events e) override { events = std::move(e); }
    void callAsync(const std::string& body, const Json& arguments,
                   std::function<void(const platform::ScriptResult&)> done) override;
    void load(const std::string& url, double timeoutSeconds) override;
    std::string url() const override { return url_; }

    // The page posts `body` to the handler `name`.
    void postMessage(const MaybeJson& body, bool fromMainFrame = true, const std::string& name = "nimbo");
    // The events the shell pushed (channel, payload) through the emit script, in order.
    std::vector<std::pair<std::string, Json>> emitted() const;
    // The invoke answers (id, value) the shell gave through the resolve script, in order.
    std::vector<std::pair<long long, Json>> resolved() const;

    std::vector<platform::UserScript> userScripts;
    std::map<std::string, std::function<void(const platform::ScriptMessage&)>> handlers;
    Events events;
    std::vector<Call> calls;
    std::vector<std::pair<std::string, double>> loads;

private:
    std::string url_;
};

class SimPageWindow : public platform::PageWindow {
public:
    explicit SimPageWindow(const platform::PageWindowOptions& made) : options(made), frame_(made.frame) {}

    platform::WebView& web() override { return webView; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override { frame_ = frame; }
    void orderFront() override { visible = true; }
    void close() override { closed = true, visible = false, key = false; }
    bool ignoresMouse() const override { return ignoresMouse_; }
    void setIgnoresMouse(bool ignores) override { ignoresMouse_ = ignores; }
    bool isKey() const override { return key; }
    void makeKey() override { key = true; }
    void resignKey() override { key = false; }

    platform::PageWindowOptions options;
    SimWebView webView;
    bool visible = false;
    bool closed = false;
    bool key = false;

private:
    Rect frame_;
    bool ignoresMouse_ = false;
};

class SimWindows : public platform::Windows {
public:
    std::shared_ptr<platform::PageWindow> makePageWindow(const platform::PageWindowOptions& options) override {
        auto window = std::make_shared<SimPageWindow>(options);
        made.push_back(window);
        return window;
    }
    std::vector<std::shared_ptr<SimPageWindow>> made;
};

}  // namespace nimbo::sim
