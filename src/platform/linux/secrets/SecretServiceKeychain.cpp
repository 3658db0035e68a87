#include "platform/linux/secrets/SecretServiceKeychain.h"

#include <libsecret/secret.h>

#include <utility>

#include "base/Log.h"
#include "platform/linux/glib/GObjectPtr.h"

namespace nimbo::x11 {
namespace {

namespace Status = platform::KeychainStatus;

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

// One request's chain of libsecret's async calls, run to completion on a
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
        static_cast<BoundedCall*>(data)->result_ = G_ASYNC_RESULT(g_object_ref(result));
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

Attributes attributesOf(const platform::KeychainItem& item) {
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, nullptr, g_free);
    g_hash_table_insert(table, const_cast<gchar*>("service"), g_strdup(item.service.c_str()));
    g_hash_table_insert(table, const_cast<gchar*>("account"), g_strdup(item.account.c_str()));
    return Attributes(table);
}

bool busAnswers(GDBusConnection* bus, const char* method, GVariant* parameters, const GVariantType* type,
                unsigned timeout, GVariant** reply) {
    *reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                         method, parameters, type, G_DBUS_CALL_FLAGS_NONE, static_cast<int>(timeout),
                                         nullptr, nullptr);
    return *reply != nullptr;
}

// Whether a secret service owns its name on the session bus or the bus can
// start one. Asking the bus first keeps a desktop without one from costing a
// time-out on every request.
bool serviceOnBus(unsigned timeout) {
    auto bus = GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus) return false;
    GVariant* reply = nullptr;
    if (!busAnswers(bus.get(), "NameHasOwner", g_variant_new("(s)", kBusName), G_VARIANT_TYPE("(b)"), timeout, &reply))
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    if (owned) return true;
    if (!busAnswers(bus.get(), "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"), timeout, &reply)) return false;
    bool activatable = false;
    GVariantIter* names = nullptr;
    g_variant_get(reply, "(as)", &names);
    const gchar* name = nullptr;
    while (g_variant_iter_next(names, "&s", &name)) activatable = activatable || g_str_equal(name, kBusName);
    g_variant_iter_free(names);
    g_variant_unref(reply);
    return activatable;
}

GObjectPtr<SecretService> openService(BoundedCall& call, unsigned timeout) {
    if (!serviceOnBus(timeout)) return {};
    secret_service_open(SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, call.cancellable(),
                        BoundedCall::done, &call);
    return GObjectPtr<SecretService>::adopt(secret_service_open_finish(call.wait(), nullptr));
}

// The status for an error of the service (or of the time running out).
int statusOf(const GError* error, const BoundedCall& call) {
    if (call.timedOut()) return Status::notAvailable;
    if (g_error_matches(error, SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) return Status::interactionNotAllowed;
    return SecretServiceKeychain::kServiceError;
}

// The item's secret: success with its bytes, itemNotFound, or
// interactionNotAllowed for a locked item (never unlocked here: that prompts).
platform::KeychainRead find(SecretService* service, const platform::KeychainItem& item, BoundedCall& call) {
    const auto attributes = attributesOf(item);
    secret_service_search(service, schema(), attributes.get(), SECRET_SEARCH_LOAD_SECRETS, call.cancellable(),
                          BoundedCall::done, &call);
    GErrorPtr error;
    GList* items = secret_service_search_finish(service, call.wait(), error.out());
    if (error) return {statusOf(error.get(), call)};
    platform::KeychainRead read{items ? Status::interactionNotAllowed : Status::itemNotFound};
    for (GList* at = items; at; at = at->next) {
        SecretValue* value = secret_item_get_secret(SECRET_ITEM(at->data));
        if (!value) continue;  // locked
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        read = {Status::success, std::string(bytes, length)};
        secret_value_unref(value);
        break;
    }
    g_list_free_full(items, g_object_unref);
    return read;
}

// Whether new items can go to the default collection without a prompt.
int writable(SecretService* service, BoundedCall& call) {
    secret_collection_for_alias(service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, call.cancellable(),
                                BoundedCall::done, &call);
    GErrorPtr error;
    auto collection = GObjectPtr<SecretCollection>::adopt(secret_collection_for_alias_finish(call.wait(), error.out()));
    if (error) return statusOf(error.get(), call);
    // Storing into a locked or missing default collection makes the service prompt.
    if (!collection || secret_collection_get_locked(collection.get())) return Status::interactionNotAllowed;
    return Status::success;
}

void logRefusedAdd(const platform::KeychainItem& item, int status) {
    const std::string what = " — the secret \"" + item.account + "\" was not stored";
    if (status == Status::notAvailable) {
        Log::line("nimbo: no secret service answers on the session bus" + what);
    } else if (status == Status::interactionNotAllowed) {
        Log::line("nimbo: the secret service's keyring is locked" + what);
    } else if (status != Status::success && status != Status::duplicateItem) {
        Log::line("nimbo: the secret service refused to store a secret" + what);
    }
}

}  // namespace

platform::KeychainRead SecretServiceKeychain::copy(const platform::KeychainItem& item) {
    BoundedCall call(timeout_);
    auto service = openService(call, timeout_);
    if (!service) return {Status::notAvailable};
    return find(service.get(), item, call);
}

int SecretServiceKeychain::update(const platform::KeychainItem& item, const std::string& data) {
    return store(item, data, Mode::update);
}

int SecretServiceKeychain::add(const platform::KeychainItem& item, const std::string& data) {
    const int status = store(item, data, Mode::add);
    logRefusedAdd(item, status);
    return status;
}

int SecretServiceKeychain::store(const platform::KeychainItem& item, const std::string& data, Mode mode) {
    BoundedCall call(timeout_);
    auto service = openService(call, timeout_);
    if (!service) return Status::notAvailable;
    if (const int status = writable(service.get(), call); status != Status::success) return status;
    const int existing = find(service.get(), item, call).status;
    if (mode == Mode::add && existing != Status::itemNotFound)
        return existing == Status::success ? Status::duplicateItem : existing;
    if (mode == Mode::update && existing != Status::success) return existing;

    const auto attributes = attributesOf(item);
    SecretValue* value = secret_value_new(data.data(), static_cast<gssize>(data.size()), "text/plain");
    const std::string label = "nimbo " + item.account;
    // Replaces an item of the same attributes.
    secret_service_store(service.get(), schema(), attributes.get(), SECRET_COLLECTION_DEFAULT, label.c_str(), value,
                         call.cancellable(), BoundedCall::done, &call);
    secret_value_unref(value);
    GErrorPtr error;
    if (!secret_service_store_finish(service.get(), call.wait(), error.out())) return statusOf(error.get(), call);
    return Status::success;
}

int SecretServiceKeychain::remove(const platform::KeychainItem& item) {
    BoundedCall call(timeout_);
    auto service = openService(call, timeout_);
    if (!service) return Status::notAvailable;
    const auto attributes = attributesOf(item);
    secret_service_clear(service.get(), schema(), attributes.get(), call.cancellable(), BoundedCall::done, &call);
    GErrorPtr error;
    const bool removed = secret_service_clear_finish(service.get(), call.wait(), error.out());
    if (error) return statusOf(error.get(), call);
    return removed ? Status::success : Status::itemNotFound;
}

}  // namespace nimbo::x11
