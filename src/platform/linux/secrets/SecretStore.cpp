#include "platform/linux/secrets/SecretStore.h"

#include <libsecret/secret.h>

#include <utility>

#include "base/Log.h"
#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {
namespace {

constexpr const char* kBusName = "org.freedesktop.secrets";

const SecretSchema* schema() {
    static const SecretSchema kSchema = {"dev.nimbo.Secret",
                                         SECRET_SCHEMA_NONE,
                                         {{"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                          {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                         0,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr,
                                         nullptr};
    return &kSchema;
}

// One operation's chain of libsecret's async calls, run to completion on a
// main context of its own and cancelled when its time is up.
class BoundedCall {
public:
    explicit BoundedCall(unsigned timeoutMilliseconds)
        : context_(g_main_context_new()), cancellable_(GObjectPtr<GCancellable>::adopt(g_cancellable_new())) {
        g_main_context_push_thread_default(context_);
        timeout_ = g_timeout_source_new(timeoutMilliseconds);
        g_source_set_callback(
            timeout_,
            [](gpointer data) -> gboolean {
                g_cancellable_cancel(static_cast<GCancellable*>(data));
                return G_SOURCE_REMOVE;
            },
            cancellable_.get(), nullptr);
        g_source_attach(timeout_, context_);
    }
    ~BoundedCall() {
        g_source_destroy(timeout_);
        g_source_unref(timeout_);
        if (result_) g_object_unref(result_);
        // Completions of calls cut short still arrive here; let them land.
        while (g_main_context_pending(context_)) g_main_context_iteration(context_, FALSE);
        g_main_context_pop_thread_default(context_);
        g_main_context_unref(context_);
    }
    BoundedCall(const BoundedCall&) = delete;
    BoundedCall& operator=(const BoundedCall&) = delete;

    GCancellable* cancellable() const { return cancellable_.get(); }
    bool timedOut() const { return g_cancellable_is_cancelled(cancellable_.get()); }
    static void done(GObject*, GAsyncResult* result, gpointer data) {
        auto* self = static_cast<BoundedCall*>(data);
        self->result_ = G_ASYNC_RESULT(g_object_ref(result));
    }
    // The result of the call just started with `done` and this object.
    GAsyncResult* wait() {
        if (result_) g_object_unref(std::exchange(result_, nullptr));
        while (!result_) g_main_context_iteration(context_, TRUE);
        return result_;
    }

private:
    GMainContext* context_;
    GObjectPtr<GCancellable> cancellable_;
    GSource* timeout_ = nullptr;
    GAsyncResult* result_ = nullptr;
};

using Attributes = GOwnedPtr<GHashTable, g_hash_table_unref>;

Attributes attributesOf(const std::string& service, const std::string& account) {
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free);
    g_hash_table_insert(table, const_cast<gchar*>("service"), g_strdup(service.c_str()));
    g_hash_table_insert(table, const_cast<gchar*>("account"), g_strdup(account.c_str()));
    return Attributes(table);
}

// Whether a secret service owns its name on the session bus or the bus can
// start one. Asking the bus first keeps a desktop without one from costing a
// time-out on every call.
bool serviceOnBus(unsigned timeoutMilliseconds) {
    auto bus = GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus) return false;
    const int timeout = static_cast<int>(timeoutMilliseconds);
    GVariant* owned = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        g_variant_new("(s)", kBusName), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, timeout, nullptr, nullptr);
    if (!owned) return false;
    gboolean hasOwner = FALSE;
    g_variant_get(owned, "(b)", &hasOwner);
    g_variant_unref(owned);
    if (hasOwner) return true;
    GVariant* names = g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListActivatableNames",
        nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, timeout, nullptr, nullptr);
    if (!names) return false;
    bool activatable = false;
    GVariantIter* iter = nullptr;
    g_variant_get(names, "(as)", &iter);
    const gchar* name = nullptr;
    while (g_variant_iter_next(iter, "&s", &name)) activatable = activatable || g_str_equal(name, kBusName);
    g_variant_iter_free(iter);
    g_variant_unref(names);
    return activatable;
}

GObjectPtr<SecretService> openService(BoundedCall& call) {
    secret_service_open(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, call.cancellable(),
                        BoundedCall::done, &call);
    return GObjectPtr<SecretService>::adopt(secret_service_open_finish(call.wait(), nullptr));
}

void logRefusal(SecretStore::Outcome outcome, const std::string& what, const std::string& detail) {
    switch (outcome) {
        case SecretStore::Outcome::done:
            return;
        case SecretStore::Outcome::absent:
            Log::line("nimbo: no secret service answers on the session bus — " + what);
            return;
        case SecretStore::Outcome::locked:
            Log::line("nimbo: the secret service's keyring is locked — " + what);
            return;
        case SecretStore::Outcome::failed:
            Log::line("nimbo: the secret service refused (" + detail + ") — " + what);
            return;
    }
}

}  // namespace

SecretStore::SecretStore(std::string service, unsigned timeoutMilliseconds)
    : service_(std::move(service)), timeout_(timeoutMilliseconds) {}

std::optional<std::vector<std::uint8_t>> SecretStore::read(const std::string& account) const {
    if (!serviceOnBus(timeout_)) return std::nullopt;
    BoundedCall call(timeout_);
    auto service = openService(call);
    if (!service) return std::nullopt;
    const auto attributes = attributesOf(service_, account);
    // No SECRET_SEARCH_UNLOCK: a locked item is not unlocked (that would prompt).
    secret_service_search(service.get(), schema(), attributes.get(), SECRET_SEARCH_LOAD_SECRETS, call.cancellable(),
                          BoundedCall::done, &call);
    GList* items = secret_service_search_finish(service.get(), call.wait(), nullptr);
    std::optional<std::vector<std::uint8_t>> found;
    for (GList* at = items; at && !found; at = at->next) {
        SecretValue* value = secret_item_get_secret(SECRET_ITEM(at->data));
        if (!value) continue;  // locked
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        found.emplace(bytes, bytes + length);
        secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    return found;
}

SecretStore::Outcome SecretStore::write(const std::string& account, const std::vector<std::uint8_t>& data) const {
    const std::string what = "the secret \"" + account + "\" was not stored";
    if (!serviceOnBus(timeout_)) {
        logRefusal(Outcome::absent, what, {});
        return Outcome::absent;
    }
    BoundedCall call(timeout_);
    auto service = openService(call);
    if (!service) {
        logRefusal(Outcome::absent, what, {});
        return Outcome::absent;
    }
    // Storing into a locked (or missing) default collection would make the
    // service prompt; the shell refuses instead.
    secret_collection_for_alias(service.get(), SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, call.cancellable(),
                                BoundedCall::done, &call);
    GErrorPtr error;
    auto collection = GObjectPtr<SecretCollection>::adopt(secret_collection_for_alias_finish(call.wait(), error.out()));
    Outcome outcome = Outcome::done;
    std::string detail;
    if (call.timedOut()) {
        outcome = Outcome::absent;
    } else if (!collection || secret_collection_get_locked(collection.get())) {
        outcome = Outcome::locked;
    } else {
        const auto attributes = attributesOf(service_, account);
        SecretValue* value = secret_value_new(reinterpret_cast<const gchar*>(data.data()),
                                              static_cast<gssize>(data.size()), "text/plain");
        const std::string label = "nimbo " + account;
        secret_service_store(service.get(), schema(), attributes.get(), SECRET_COLLECTION_DEFAULT, label.c_str(), value,
                             call.cancellable(), BoundedCall::done, &call);
        secret_value_unref(value);
        GErrorPtr storeError;
        if (!secret_service_store_finish(service.get(), call.wait(), storeError.out())) {
            outcome = call.timedOut() ? Outcome::absent : Outcome::failed;
            if (storeError) detail = storeError->message;
        }
    }
    logRefusal(outcome, what, detail);
    return outcome;
}

SecretStore::Outcome SecretStore::erase(const std::string& account) const {
    const std::string what = "the secret \"" + account + "\" was not removed";
    if (!serviceOnBus(timeout_)) {
        logRefusal(Outcome::absent, what, {});
        return Outcome::absent;
    }
    BoundedCall call(timeout_);
    auto service = openService(call);
    if (!service) {
        logRefusal(Outcome::absent, what, {});
        return Outcome::absent;
    }
    const auto attributes = attributesOf(service_, account);
    secret_service_clear(service.get(), schema(), attributes.get(), call.cancellable(), BoundedCall::done, &call);
    GErrorPtr error;
    secret_service_clear_finish(service.get(), call.wait(), error.out());  // false with no error: nothing was there
    if (!error) return Outcome::done;
    Outcome outcome = Outcome::failed;
    if (call.timedOut()) {
        outcome = Outcome::absent;
    } else if (g_error_matches(error.get(), SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) {
        outcome = Outcome::locked;
    }
    logRefusal(outcome, what, error->message);
    return outcome;
}

}  // namespace nimbo::x11
