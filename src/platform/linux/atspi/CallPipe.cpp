#include "platform/linux/atspi/CallPipe.h"

#include <thread>

namespace nimbo::atspi {

Variant adoptVariant(GVariant* value) {
    if (!value) return nullptr;
    return Variant(g_variant_ref_sink(value), g_variant_unref);
}

Deadline deadlineIn(double seconds) {
    using Clock = std::chrono::steady_clock;
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

GVariant* bodyOf(const Reply& reply, const char* type) {
    if (reply.kind != Reply::Kind::value || !reply.body) return nullptr;
    if (!g_variant_is_of_type(reply.body.get(), G_VARIANT_TYPE(type))) return nullptr;
    return reply.body.get();
}

struct CallPipe::Pending {
    std::vector<Reply> replies;
    size_t remaining = 0;
};

// What the filter, running on GDBus's worker thread, shares with the callers.
struct CallPipe::Shared {
    std::mutex mutex;
    std::condition_variable arrived;
    std::unordered_map<guint32, std::pair<Pending*, size_t>> waiting;
};

namespace {

// A connection made on a thread of its own, so that a peer that accepts the
// socket and never answers the handshake costs the caller only its deadline.
struct Connecting {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    GDBusConnection* connection = nullptr;
};

}  // namespace

std::shared_ptr<CallPipe> CallPipe::open(const std::string& address, bool bus, Deadline deadline) {
    auto attempt = std::make_shared<Connecting>();
    auto flags = static_cast<GDBusConnectionFlags>(
        G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
        (bus ? G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION : G_DBUS_CONNECTION_FLAGS_NONE));
    std::thread([attempt, address, flags] {
        GDBusConnection* connection =
            g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr);
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) {
            if (connection) {
                g_dbus_connection_close(connection, nullptr, nullptr, nullptr);
                g_object_unref(connection);
            }
        } else {
            attempt->connection = connection;
        }
        attempt->finished = true;
        attempt->done.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    if (!attempt->done.wait_until(lock, deadline, [&] { return attempt->finished; })) {
        attempt->abandoned = true;
        return nullptr;
    }
    if (!attempt->connection) return nullptr;
    return std::shared_ptr<CallPipe>(new CallPipe(attempt->connection));
}

CallPipe::CallPipe(GDBusConnection* connection) : connection_(connection), shared_(std::make_shared<Shared>()) {
    g_dbus_connection_set_exit_on_close(connection_, FALSE);
    // The filter may still run briefly after it is removed; it holds the
    // shared part itself so that is harmless.
    filterId_ = g_dbus_connection_add_filter(connection_, filter, new std::shared_ptr<Shared>(shared_),
                                             [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
}

CallPipe::~CallPipe() {
    g_dbus_connection_remove_filter(connection_, filterId_);
    g_dbus_connection_close(connection_, nullptr, nullptr, nullptr);
    g_object_unref(connection_);
}

bool CallPipe::closed() const {
    return g_dbus_connection_is_closed(connection_);
}

GDBusMessage* CallPipe::filter(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data) {
    if (!incoming) return message;
    GDBusMessageType type = g_dbus_message_get_message_type(message);
    if (type != G_DBUS_MESSAGE_TYPE_METHOD_RETURN && type != G_DBUS_MESSAGE_TYPE_ERROR) return message;
    Shared& shared = **static_cast<std::shared_ptr<Shared>*>(data);
    {
        std::lock_guard lock(shared.mutex);
        auto found = shared.waiting.find(g_dbus_message_get_reply_serial(message));
        if (found == shared.waiting.end()) return message;
        auto [pending, index] = found->second;
        shared.waiting.erase(found);
        Reply& reply = pending->replies[index];
        if (type == G_DBUS_MESSAGE_TYPE_METHOD_RETURN) {
            reply.kind = Reply::Kind::value;
            GVariant* body = g_dbus_message_get_body(message);
            reply.body = body ? adoptVariant(g_variant_ref(body)) : adoptVariant(g_variant_new_tuple(nullptr, 0));
        } else {
            reply.kind = Reply::Kind::error;
            const gchar* name = g_dbus_message_get_error_name(message);
            reply.errorName = name ? name : "";
        }
        if (--pending->remaining == 0) shared.arrived.notify_all();
    }
    g_object_unref(message);
    return nullptr;
}

std::vector<Reply> CallPipe::callAll(const std::vector<Call>& calls, Deadline deadline) {
    Pending pending;
    pending.replies.resize(calls.size());
    std::vector<guint32> serials;
    serials.reserve(calls.size());

    std::unique_lock lock(shared_->mutex);
    for (size_t i = 0; i < calls.size(); ++i) {
        const Call& call = calls[i];
        Reply& reply = pending.replies[i];
        // Paths and names come from other programs: GDBus would refuse
        // malformed ones noisily, so they are checked here.
        if (!g_variant_is_object_path(call.path.c_str()) ||
            (!call.destination.empty() && !g_dbus_is_name(call.destination.c_str()))) {
            reply.kind = Reply::Kind::error;
            reply.errorName = "org.freedesktop.DBus.Error.InvalidArgs";
            continue;
        }
        GDBusMessage* message =
            g_dbus_message_new_method_call(call.destination.empty() ? nullptr : call.destination.c_str(),
                                           call.path.c_str(), call.interface.c_str(), call.method.c_str());
        if (call.arguments) g_dbus_message_set_body(message, call.arguments.get());
        guint32 serial = 0;
        if (g_dbus_connection_send_message(connection_, message, G_DBUS_SEND_MESSAGE_FLAGS_NONE, &serial, nullptr)) {
            shared_->waiting[serial] = {&pending, i};
            serials.push_back(serial);
            ++pending.remaining;
        } else {
            reply.kind = Reply::Kind::error;
            reply.errorName = "org.freedesktop.DBus.Error.Disconnected";
        }
        g_object_unref(message);
    }
    shared_->arrived.wait_until(lock, deadline, [&] { return pending.remaining == 0; });
    for (guint32 serial : serials) shared_->waiting.erase(serial);
    return std::move(pending.replies);
}

}  // namespace nimbo::atspi
