#pragma once
// An in-memory web view and its window: records what the shell asks of it and
// lets a test play the page's side.
#include <functional>
#include <map>
#include <memory>
#include <optional>
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
    void removeMessageHandler(const std::string& name) override { handlers.erase(name); }
    void setEvents(Events e) override { events = std::move(e); }
    void callAsync(const std::string& body, const Json& arguments,
                   std::function<void(const platform::ScriptResult&)> done) override;
    void load(const std::string& url, double timeoutSeconds) override;
    void loadHTML(const std::string& html) override {
        url_.clear();
        ++documents_;
        htmlLoads.push_back(html);
    }
    void reload() override { ++reloads; }
    void stopLoading() override { ++stops; }
    std::string url() const override { return url_; }

    // The page side of navigation: the server answers, the load ends.
    bool respond(int status) { return !events.decideResponse || events.decideResponse(status); }
    void finish() {
        if (events.finished) events.finished();
    }
    void fail(long code, const std::string& description = "Could not connect to the server.",
              const std::string& failingUrl = "");
    void killRenderer() {
        if (events.rendererDied) events.rendererDied();
    }
    // The page went elsewhere by itself (a redirect, a link, a script): a new document.
    void navigated(const std::string& url) {
        url_ = url;
        ++documents_;
    }

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
    std::vector<std::string> htmlLoads;
    int reloads = 0;
    int stops = 0;

private:
    std::string url_;
    int documents_ = 0;
};

class SimWindows;

class SimPageWindow : public platform::PageWindow {
public:
    SimPageWindow(const platform::PageWindowOptions& made, SimWindows& windows, long number);

    platform::WebView& web() override { return webView; }
    Rect frame() const override { return frame_; }
    void setFrame(const Rect& frame) override;
    void orderFront() override;
    void orderOut() override;
    void orderBelow(long number) override;
    long windowNumber() const override { return number_; }
    void close() override;
    bool ignoresMouse() const override { return ignoresMouse_; }
    void setIgnoresMouse(bool ignores) override { ignoresMouse_ = ignores; }
    bool isKey() const override { return key; }
    void makeKey() override { key = true; }
    void resignKey() override { key = false; }
    void setSharingType(platform::SharingType type) override { sharing = type; }
    // Unset, a window is shared as the window system's default has it.
    platform::SharingType sharingType() const override { return sharing.value_or(platform::SharingType::readOnly); }
    bool isVisible() const override { return visible; }
    bool isMiniaturized() const override { return miniaturized; }
    bool isOnScreenVisible() const override { return visible && !miniaturized && !covered; }
    void setMouseDownHandler(std::function<void(Point)> handler) override { mouseDown_ = std::move(handler); }

    // The user presses the left button at `point` (window coordinates). Like
    // the window system, a click-through window never sees it.
    bool click(Point point);

    platform::PageWindowOptions options;
    std::optional<platform::SharingType> sharing;
    SimWebView webView;
    bool visible = false;
    bool miniaturized = false;
    bool covered = false;  // wholly hidden behind other windows
    bool closed = false;
    bool key = false;

private:
    SimWindows& windows_;
    long number_;
    Rect frame_;
    bool ignoresMouse_ = false;
    std::function<void(Point)> mouseDown_;
};

class SimWindows : public platform::Windows {
public:
    std::shared_ptr<platform::PageWindow> makePageWindow(const platform::PageWindowOptions& options) override {
        auto window = std::make_shared<SimPageWindow>(options, *this, nextNumber_++);
        made.push_back(window);
        return window;
    }
    std::vector<long> windowNumbers() const override { return order; }
    // A number for a window made outside `made` (the control center's).
    long takeNumber() { return nextNumber_++; }
    void setArrowCursor() override { ++arrowCursorSets; }

    std::vector<std::shared_ptr<SimPageWindow>> made;
    // The shown windows' numbers, front to back.
    std::vector<long> order;
    int arrowCursorSets = 0;
    // Where the window system really puts a window asked for a frame (a
    // window manager that trims or shifts it); exactly as asked when unset.
    std::function<Rect(const Rect&)> place;

private:
    long nextNumber_ = 1;
};

}  // namespace nimbo::sim
