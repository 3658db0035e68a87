#pragma once
// A web view showing one page of the server, and the traffic between page and shell.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Json.h"

namespace nimbo::platform {

// A script injected at document start, before the page's own code runs.
struct UserScript {
    std::string source;
    bool mainFrameOnly = true;
    // Only documents of this origin ("scheme://host[:port]") get the script;
    // every document does when it is empty.
    std::string origin{};
};

// A body a page posted to a named message handler. `body` is absent when the
// posted value has no JSON form (a function, undefined, a cyclic object).
struct ScriptMessage {
    MaybeJson body;
    bool fromMainFrame = false;
    // The origin of the document that posted, as the view knows it ("null" for
    // one without, such as about:blank; empty when the backend can't tell), and
    // a name for that document that changes whenever the view shows a new one.
    std::string origin{};
    std::string document{};
};

// Navigation errors use the URL-loading vocabulary: domain "NSURLErrorDomain",
// code -999 for a cancelled load, -1001 for a time-out, -1004 when the server
// can't be reached, -1011 for a response `decideResponse` turned down; other
// engines' errors keep their own domain and code.
struct NavigationError {
    std::string domain;
    long code = 0;
    std::string description;
    // The address that failed to load, when the engine says.
    std::string failingUrl{};
};

struct FileChooserRequest {
    bool allowsMultipleSelection = false;
    bool allowsDirectories = false;
};

struct ScriptResult {
    MaybeJson value;                   // what the script returned, when it has a JSON form
    std::optional<std::string> error;  // set when the script threw or could not run
};

class WebView {
public:
    struct Events {
        // The main frame's HTTP response arrived; answering false cancels the load.
        std::function<bool(int status)> decideResponse;
        std::function<void()> finished;
        std::function<void(const NavigationError&)> failed;
        // The page's web content process died.
        std::function<void()> rendererDied;
        // A link the user activated; answering false cancels the navigation.
        // Unset: every navigation goes ahead.
        std::function<bool(const std::string& url)> decideLinkNavigation{};
        // The page asked for a new window (window.open, a link to a new
        // target); the view never makes one.
        std::function<void(const std::string& url)> newWindowRequested{};
        // The page's alert, confirm and file input; each `done` is called
        // once. Unset: answered at once (done; false; no files).
        std::function<void(const std::string& message, std::function<void()> done)> alert{};
        std::function<void(const std::string& message, std::function<void(bool)> done)> confirm{};
        std::function<void(const FileChooserRequest& request, std::function<void(std::vector<std::string>)> done)>
            chooseFiles{};
        // The page of `origin` asks for the microphone or camera; answering
        // true grants it without asking the user. Unset: denied.
        std::function<bool(const std::string& origin)> mediaCapture{};
    };

    virtual ~WebView() = default;
    virtual void addUserScript(const UserScript& script) = 0;
    virtual void setMessageHandler(const std::string& name, std::function<void(const ScriptMessage&)> handler) = 0;
    virtual void setEvents(Events events) = 0;
    // Runs `body` as the body of an async function in the page's own world and
    // main frame; each member of the `arguments` object is a named parameter.
    // Values are never spliced into the script text.
    virtual void callAsync(const std::string& body, const Json& arguments,
                           std::function<void(const ScriptResult&)> done = {}) = 0;
    virtual void removeMessageHandler(const std::string& name) = 0;
    virtual void load(const std::string& url, double timeoutSeconds) = 0;
    // Loads an HTML text with no base address.
    virtual void loadHTML(const std::string& html) = 0;
    virtual void reload() = 0;
    virtual void stopLoading() = 0;
    virtual std::string url() const = 0;
};

}  // namespace nimbo::platform
