#pragma once
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/WebView.h"
#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {

// A WebKitGTK web view behind the seam's WebView.
//
// WebKitGTK doesn't say which frame posted a script message, so the view
// proves it itself: a top-frame-only script, injected before any other,
// keeps a random per-view token in a closure and wraps the main frame's
// handlers' postMessage so that their posts carry it, with the posting
// document's origin and a name for the document. Only bodies with the right
// token count as the main frame's; the wrapping is stripped before the body
// goes on.
class WebKitView final : public platform::WebView {
public:
    explicit WebKitView(bool transparent);
    ~WebKitView() override;
    WebKitView(const WebKitView&) = delete;
    WebKitView& operator=(const WebKitView&) = delete;

    GtkWidget* widget() const { return GTK_WIDGET(view_.get()); }
    WebKitWebView* webView() const { return view_.get(); }
    // The window holding the view is gone; later calls do nothing.
    void detach();

    void addUserScript(const platform::UserScript& script) override;
    void setMessageHandler(const std::string& name,
                           std::function<void(const platform::ScriptMessage&)> handler) override;
    void setEvents(Events events) override;
    void callAsync(const std::string& body, const Json& arguments,
                   std::function<void(const platform::ScriptResult&)> done = {}) override;
    void removeMessageHandler(const std::string& name) override;
    void load(const std::string& url, double timeoutSeconds) override;
    void loadHTML(const std::string& html) override;
    void reload() override;
    void stopLoading() override;
    std::string url() const override;

private:
    struct HandlerSlot {
        WebKitView* owner;
        std::string name;
        std::function<void(const platform::ScriptMessage&)> handler;
        gulong signal = 0;
    };

    void rebuildScripts();
    std::string frameGuardSource() const;
    void receive(HandlerSlot& slot, WebKitJavascriptResult* result);
    void cancelLoadTimer();

    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data);
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data);
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                   gpointer data);
    static void onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data);
    static gboolean onLoadTimeout(gpointer data);
    gboolean decideNavigation(WebKitPolicyDecision* decision);
    static GtkWidget* onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer data);
    static gboolean onScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data);
    static gboolean onRunFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer data);
    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer data);

    GObjectPtr<WebKitUserContentManager> contentManager_;
    GObjectPtr<WebKitWebView> view_;
    GObjectPtr<GCancellable> cancellable_;
    std::shared_ptr<WebKitView*> alive_;  // async completions hold it weakly
    const std::string token_;
    std::vector<platform::UserScript> scripts_;
    std::vector<std::unique_ptr<HandlerSlot>> handlers_;
    Events events_;
    bool detached_ = false;

    // The load in flight.
    guint loadTimer_ = 0;
    bool timedOut_ = false;  // the time-out already reported this load's failure
    int refusedStatus_ = 0;  // the status decideResponse turned down, if it did
    bool failed_ = false;    // a failure was reported, so no "finished" follows
    std::string loading_;    // the address asked for last
};

}  // namespace nimbo::x11
