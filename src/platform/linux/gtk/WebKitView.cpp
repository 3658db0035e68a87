#include "platform/linux/gtk/WebKitView.h"

#include <algorithm>

#include <cmath>

#include "base/WebOrigin.h"
#include "platform/linux/gtk/JscJson.h"

namespace nimbo::x11 {
namespace {

constexpr const char* kUrlErrorDomain = "NSURLErrorDomain";
constexpr const char* kTokenKey = "__nimboFrameToken";
constexpr const char* kBodyKey = "body";
constexpr const char* kOriginKey = "__nimboOrigin";
constexpr const char* kDocumentKey = "__nimboDocument";

std::string randomToken() {
    std::string token;
    for (int i = 0; i < 4; ++i) {
        char chunk[9];
        g_snprintf(chunk, sizeof chunk, "%08x", g_random_int());
        token += chunk;
    }
    return token;
}

// Engine errors in the URL-loading vocabulary the core speaks.
platform::NavigationError translate(const GError* error) {
    if (!error) return {kUrlErrorDomain, -1, "unknown error"};
    const std::string message = error->message ? error->message : "";
    if (error->domain == WEBKIT_NETWORK_ERROR && error->code == WEBKIT_NETWORK_ERROR_CANCELLED)
        return {kUrlErrorDomain, -999, "cancelled"};
    if (error->domain == G_IO_ERROR) {
        switch (error->code) {
            case G_IO_ERROR_CONNECTION_REFUSED:
            case G_IO_ERROR_HOST_UNREACHABLE:
            case G_IO_ERROR_NETWORK_UNREACHABLE:
                return {kUrlErrorDomain, -1004, message};
            case G_IO_ERROR_TIMED_OUT:
                return {kUrlErrorDomain, -1001, message};
            case G_IO_ERROR_CANCELLED:
                return {kUrlErrorDomain, -999, message};
            default:
                break;
        }
    }
    if (error->domain == G_RESOLVER_ERROR) return {kUrlErrorDomain, -1003, message};
    return {g_quark_to_string(error->domain), error->code, message};
}

// "scheme://host/*" for an origin "scheme://host[:port]".
std::string patternFor(const std::string& origin) {
    const size_t host = origin.find("://");
    const size_t port = origin.find(':', host == std::string::npos ? 0 : host + 3);
    return origin.substr(0, port) + "/*";
}

}  // namespace

WebKitView::WebKitView(bool transparent)
    : contentManager_(GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new())),
      cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())),
      alive_(std::make_shared<WebKitView*>(this)),
      token_(randomToken()) {
    view_ = GObjectPtr<WebKitWebView>::retain(
        WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", contentManager_.get(), nullptr)));
    if (transparent) {
        const GdkRGBA clear{0, 0, 0, 0};
        webkit_web_view_set_background_color(view_.get(), &clear);
    }
    g_signal_connect(view_.get(), "load-changed", G_CALLBACK(onLoadChanged), this);
    g_signal_connect(view_.get(), "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view_.get(), "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view_.get(), "web-process-terminated", G_CALLBACK(onWebProcessTerminated), this);
    g_signal_connect(view_.get(), "create", G_CALLBACK(onCreate), this);
    g_signal_connect(view_.get(), "script-dialog", G_CALLBACK(onScriptDialog), this);
    g_signal_connect(view_.get(), "run-file-chooser", G_CALLBACK(onRunFileChooser), this);
    g_signal_connect(view_.get(), "permission-request", G_CALLBACK(onPermissionRequest), this);
}

WebKitView::~WebKitView() {
    cancelLoadTimer();
    g_cancellable_cancel(cancellable_.get());
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    for (auto& slot : handlers_) g_signal_handler_disconnect(contentManager_.get(), slot->signal);
}

void WebKitView::detach() {
    if (detached_) return;
    detached_ = true;
    cancelLoadTimer();
    g_cancellable_cancel(cancellable_.get());
}

void WebKitView::addUserScript(const platform::UserScript& script) {
    scripts_.push_back(script);
    rebuildScripts();
}

void WebKitView::setMessageHandler(const std::string& name,
                                   std::function<void(const platform::ScriptMessage&)> handler) {
    for (auto& slot : handlers_) {
        if (slot->name == name) {
            slot->handler = std::move(handler);
            return;
        }
    }
    auto slot = std::make_unique<HandlerSlot>();
    slot->owner = this;
    slot->name = name;
    slot->handler = std::move(handler);
    webkit_user_content_manager_register_script_message_handler(contentManager_.get(), name.c_str());
    const std::string signal = "script-message-received::" + name;
    slot->signal = g_signal_connect(contentManager_.get(), signal.c_str(), G_CALLBACK(onScriptMessage), slot.get());
    handlers_.push_back(std::move(slot));
    rebuildScripts();
}

void WebKitView::removeMessageHandler(const std::string& name) {
    auto slot = std::find_if(handlers_.begin(), handlers_.end(), [&](const auto& s) { return s->name == name; });
    if (slot == handlers_.end()) return;
    g_signal_handler_disconnect(contentManager_.get(), (*slot)->signal);
    webkit_user_content_manager_unregister_script_message_handler(contentManager_.get(), name.c_str());
    handlers_.erase(slot);
    rebuildScripts();
}

void WebKitView::setEvents(Events events) {
    events_ = std::move(events);
}

// The guard goes first so that no other script, ours or the page's, ever sees
// the unwrapped postMessage of the main frame.
void WebKitView::rebuildScripts() {
    WebKitUserContentManager* manager = contentManager_.get();
    webkit_user_content_manager_remove_all_scripts(manager);
    auto add = [manager](const std::string& source, bool mainFrameOnly, const std::string& origin = {}) {
        // WebKit's URL patterns have no port, so the allow-list names scheme and
        // host, and the script itself checks the whole origin before it runs.
        const std::string pattern = patternFor(origin);
        const gchar* const allowList[] = {pattern.c_str(), nullptr};
        const std::string text =
            origin.empty() ? source
                           : "if (window.location.origin === " + Json(origin).dump() + ") {\n" + source + "\n}\n";
        WebKitUserScript* script = webkit_user_script_new(
            text.c_str(), mainFrameOnly ? WEBKIT_USER_CONTENT_INJECT_TOP_FRAME : WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
            WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, origin.empty() ? nullptr : allowList, nullptr);
        webkit_user_content_manager_add_script(manager, script);
        webkit_user_script_unref(script);
    };
    if (!handlers_.empty()) add(frameGuardSource(), true);
    for (const auto& script : scripts_) add(script.source, script.mainFrameOnly, script.origin);
}

std::string WebKitView::frameGuardSource() const {
    Json names = Json::array();
    for (const auto& slot : handlers_) names.push_back(slot->name);
    // The handlers' postMessage lives on their prototype, which belongs to this
    // document's global object and lives as long as it does; the handler
    // objects themselves are wrappers the collector may drop and rebuild at
    // any time. So the wrapping goes on the prototype: every handler object
    // this frame ever gets posts through it, while sub-frames have prototypes
    // of their own that stay unwrapped. Everything the wrapper calls is
    // captured now, before page code could replace it; the token never leaves
    // the closure except inside a post. The document's origin is taken now
    // too, so a post always says which document it came from.
    return std::string(R"JS((() => {
  const token = ")JS") +
           token_ + R"JS(";
  const names = )JS" +
           names.dump() + R"JS(;
  const tokenKey = ")JS" +
           kTokenKey + R"JS(", bodyKey = ")JS" + kBodyKey + R"JS(";
  const originKey = ")JS" +
           kOriginKey + R"JS(", documentKey = ")JS" + kDocumentKey + R"JS(";
  const handlers = window.webkit && window.webkit.messageHandlers;
  if (!handlers) return;
  const define = Object.defineProperty;
  const apply = Reflect.apply;
  const prototypeOf = Object.getPrototypeOf;
  const hasOwn = Object.prototype.hasOwnProperty;
  const origin = String(window.location.origin);
  // A name, not a secret: it only has to differ from the view's other documents.
  const documentName = Math.random().toString(36).slice(2) + "-" + Date.now().toString(36);
  const wrap = (post) => function postMessage(body) {
    const wrapped = {};
    define(wrapped, tokenKey, { value: token, enumerable: true });
    define(wrapped, originKey, { value: origin, enumerable: true });
    define(wrapped, documentKey, { value: documentName, enumerable: true });
    define(wrapped, bodyKey, { value: body, enumerable: true });
    return apply(post, this, [wrapped]);
  };
  const wrapped = new Set();
  for (const name of names) {
    const handler = handlers[name];
    if (!handler) continue;
    const proto = prototypeOf(handler);
    const onProto = proto && proto !== Object.prototype && hasOwn.call(proto, "postMessage");
    const holder = onProto ? proto : handler;
    if (wrapped.has(holder) || typeof holder.postMessage !== "function") continue;
    wrapped.add(holder);
    define(holder, "postMessage", {
      value: wrap(holder.postMessage), writable: false, configurable: false, enumerable: false,
    });
  }
})();
)JS";
}

void WebKitView::onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) {
    auto* slot = static_cast<HandlerSlot*>(data);
    slot->owner->receive(*slot, result);
}

namespace {

std::string stringProperty(JSCValue* object, const char* name) {
    if (!jsc_value_object_has_property(object, name)) return {};
    GObjectPtr<JSCValue> value = GObjectPtr<JSCValue>::adopt(jsc_value_object_get_property(object, name));
    if (!jsc_value_is_string(value.get())) return {};
    GCharPtr text(jsc_value_to_string(value.get()));
    return text ? text.get() : "";
}

}  // namespace

void WebKitView::receive(HandlerSlot& slot, WebKitJavascriptResult* result) {
    if (detached_ || !slot.handler) return;
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    platform::ScriptMessage message;
    const bool fromMain = value && jsc_value_is_object(value) && stringProperty(value, kTokenKey) == token_;
    if (fromMain) {
        GObjectPtr<JSCValue> body = GObjectPtr<JSCValue>::adopt(jsc_value_object_get_property(value, kBodyKey));
        message.body = jsonFromJsc(body.get());
        message.origin = stringProperty(value, kOriginKey);
        message.document = stringProperty(value, kDocumentKey);
    } else {
        // Unproven posts can only be judged by the document the view shows now.
        message.body = jsonFromJsc(value);
        const std::string shown = url();
        message.origin = webOrigin(shown);
        message.document = shown;
    }
    message.fromMainFrame = fromMain;
    // Copy: the handler may replace itself while it runs.
    auto handler = slot.handler;
    handler(message);
}

namespace {

struct CallData {
    std::weak_ptr<WebKitView*> alive;
    std::function<void(const platform::ScriptResult&)> done;
};

}  // namespace

void WebKitView::callAsync(const std::string& body, const Json& arguments,
                           std::function<void(const platform::ScriptResult&)> done) {
    if (detached_) {
        if (done) done(platform::ScriptResult{std::nullopt, std::string("the web view is closed")});
        return;
    }
    ScriptArguments args = scriptArguments(arguments);
    if (!args.error.empty()) {
        if (done) done(platform::ScriptResult{std::nullopt, args.error});
        return;
    }
    const std::string script = args.prelude + body;
    auto* data = new CallData{alive_, std::move(done)};
    // WebKit only borrows the arguments: the floating reference is ours to sink
    // and drop, or every call leaves its dictionary behind.
    GVariantPtr dictionary(args.variant ? g_variant_ref_sink(args.variant) : nullptr);
    webkit_web_view_call_async_javascript_function(
        view_.get(), script.c_str(), static_cast<gssize>(script.size()), dictionary.get(), nullptr, nullptr,
        cancellable_.get(),
        [](GObject* source, GAsyncResult* asyncResult, gpointer userData) {
            std::unique_ptr<CallData> call(static_cast<CallData*>(userData));
            GErrorPtr error;
            GObjectPtr<JSCValue> value =
                GObjectPtr<JSCValue>::adopt(webkit_web_view_call_async_javascript_function_finish(
                    WEBKIT_WEB_VIEW(source), asyncResult, error.out()));
            // A view that went away takes its pending answers with it.
            if (call->alive.expired() || !call->done) return;
            platform::ScriptResult result;
            if (error) {
                result.error = error->message ? error->message : "script failed";
            } else {
                result.value = jsonFromJsc(value.get());
            }
            call->done(result);
        },
        data);
}

void WebKitView::load(const std::string& url, double timeoutSeconds) {
    if (detached_) return;
    cancelLoadTimer();
    timedOut_ = false;
    refusedStatus_ = 0;
    failed_ = false;
    loading_ = url;
    webkit_web_view_load_uri(view_.get(), url.c_str());
    if (timeoutSeconds > 0 && std::isfinite(timeoutSeconds)) {
        const double ms = std::ceil(timeoutSeconds * 1000.0);
        loadTimer_ = g_timeout_add(ms > 1e9 ? 1000000000u : static_cast<guint>(ms), onLoadTimeout, this);
    }
}

void WebKitView::loadHTML(const std::string& html) {
    if (detached_) return;
    cancelLoadTimer();
    webkit_web_view_load_html(view_.get(), html.c_str(), nullptr);
}

void WebKitView::reload() {
    if (detached_) return;
    webkit_web_view_reload(view_.get());
}

void WebKitView::stopLoading() {
    if (detached_) return;
    cancelLoadTimer();
    webkit_web_view_stop_loading(view_.get());
}

std::string WebKitView::url() const {
    if (detached_) return {};
    const gchar* uri = webkit_web_view_get_uri(view_.get());
    return uri ? uri : "";
}

void WebKitView::cancelLoadTimer() {
    if (loadTimer_) g_source_remove(loadTimer_);
    loadTimer_ = 0;
}

gboolean WebKitView::onLoadTimeout(gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    self->loadTimer_ = 0;
    self->timedOut_ = true;
    self->failed_ = true;
    // Stop first: the core may start the next load from its failure handler.
    webkit_web_view_stop_loading(self->view_.get());
    if (self->events_.failed) {
        auto failed = self->events_.failed;
        failed(platform::NavigationError{kUrlErrorDomain, -1001, "The request timed out.", self->loading_});
    }
    return G_SOURCE_REMOVE;
}

void WebKitView::onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_) return;
    switch (event) {
        case WEBKIT_LOAD_STARTED:
        case WEBKIT_LOAD_REDIRECTED:
            break;
        case WEBKIT_LOAD_COMMITTED:
            self->cancelLoadTimer();
            break;
        case WEBKIT_LOAD_FINISHED:
            self->cancelLoadTimer();
            if (!self->failed_ && self->events_.finished) {
                auto finished = self->events_.finished;
                finished();
            }
            break;
    }
}

gboolean WebKitView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError* error, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_) return TRUE;
    self->cancelLoadTimer();
    self->failed_ = true;
    // The time-out already told the core; the engine's own cancellation is its echo.
    if (self->timedOut_) return TRUE;
    platform::NavigationError translated = translate(error);
    // A response the core turned down is a failed load, so it is retried like any
    // other; reported as a cancellation it would never be tried again.
    if (self->refusedStatus_)
        translated = {kUrlErrorDomain, -1011, "the server answered " + std::to_string(self->refusedStatus_)};
    translated.failingUrl = uri ? uri : self->loading_;
    if (self->events_.failed) {
        auto failed = self->events_.failed;
        failed(translated);
    }
    return TRUE;
}

gboolean WebKitView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                                    gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_) return FALSE;
    if (type == WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return self->decideNavigation(decision);
    if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
    auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
    if (!webkit_response_policy_decision_is_main_frame_main_resource(response)) return FALSE;
    if (!self->events_.decideResponse) return FALSE;
    const guint code = webkit_uri_response_get_status_code(webkit_response_policy_decision_get_response(response));
    // Non-HTTP responses (file:, data:) carry no status; they arrived, so they count as OK.
    const int status = code == 0 ? 200 : static_cast<int>(code);
    auto decide = self->events_.decideResponse;
    if (decide(status)) return FALSE;  // the engine's usual handling
    self->refusedStatus_ = status;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

void WebKitView::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_) return;
    self->cancelLoadTimer();
    if (self->events_.rendererDied) {
        auto died = self->events_.rendererDied;
        died();
    }
}

gboolean WebKitView::decideNavigation(WebKitPolicyDecision* decision) {
    if (!events_.decideLinkNavigation) return FALSE;
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    if (webkit_navigation_action_get_navigation_type(action) != WEBKIT_NAVIGATION_TYPE_LINK_CLICKED) return FALSE;
    const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    auto decide = events_.decideLinkNavigation;
    if (decide(uri ? uri : "")) return FALSE;
    webkit_policy_decision_ignore(decision);
    return TRUE;
}

GtkWidget* WebKitView::onCreate(WebKitWebView*, WebKitNavigationAction* action, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_ || !self->events_.newWindowRequested) return nullptr;
    const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
    auto requested = self->events_.newWindowRequested;
    requested(uri ? uri : "");
    return nullptr;  // no second view, ever
}

// The core answers each dialog, at once or once the user has: the dialog is
// held until then, and the page waits for it.
gboolean WebKitView::onScriptDialog(WebKitWebView*, WebKitScriptDialog* dialog, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    const auto type = webkit_script_dialog_get_dialog_type(dialog);
    const std::string message = webkit_script_dialog_get_message(dialog);
    if (type == WEBKIT_SCRIPT_DIALOG_ALERT) {
        if (self->detached_ || !self->events_.alert) return TRUE;  // answered: done
        webkit_script_dialog_ref(dialog);
        auto alert = self->events_.alert;
        alert(message, [dialog] {
            webkit_script_dialog_close(dialog);
            webkit_script_dialog_unref(dialog);
        });
        return TRUE;
    }
    if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM) {
        if (self->detached_ || !self->events_.confirm) {
            webkit_script_dialog_confirm_set_confirmed(dialog, FALSE);
            return TRUE;
        }
        webkit_script_dialog_ref(dialog);
        auto confirm = self->events_.confirm;
        confirm(message, [dialog](bool ok) {
            webkit_script_dialog_confirm_set_confirmed(dialog, ok ? TRUE : FALSE);
            webkit_script_dialog_close(dialog);
            webkit_script_dialog_unref(dialog);
        });
        return TRUE;
    }
    return FALSE;  // prompt and leave-page dialogs: the engine's own
}

gboolean WebKitView::onRunFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (self->detached_ || !self->events_.chooseFiles) {
        webkit_file_chooser_request_cancel(request);
        return TRUE;
    }
    platform::FileChooserRequest asked;
    asked.allowsMultipleSelection = webkit_file_chooser_request_get_select_multiple(request);
    g_object_ref(request);
    auto choose = self->events_.chooseFiles;
    choose(asked, [request](std::vector<std::string> paths) {
        if (paths.empty()) {
            webkit_file_chooser_request_cancel(request);
        } else {
            std::vector<const gchar*> list;
            for (const auto& path : paths) list.push_back(path.c_str());
            list.push_back(nullptr);
            webkit_file_chooser_request_select_files(request, list.data());
        }
        g_object_unref(request);
    });
    return TRUE;
}

gboolean WebKitView::onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer data) {
    auto* self = static_cast<WebKitView*>(data);
    if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) return FALSE;
    bool granted = false;
    if (!self->detached_ && self->events_.mediaCapture) {
        const gchar* uri = webkit_web_view_get_uri(view);
        const std::string origin = webOrigin(uri ? uri : "");
        auto decide = self->events_.mediaCapture;
        granted = decide(origin);
    }
    if (granted) {
        webkit_permission_request_allow(request);
    } else {
        webkit_permission_request_deny(request);
    }
    return TRUE;
}

}  // namespace nimbo::x11
