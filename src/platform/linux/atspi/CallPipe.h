#pragma once
// One D-Bus connection on which many method calls are sent at once and their
// replies collected together, so a batch costs one round trip instead of one
// per call. Safe to use from several threads; nothing waits past its deadline.
#include <gio/gio.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace nimbo::atspi {

using Deadline = std::chrono::steady_clock::time_point;
using Variant = std::shared_ptr<GVariant>;

// Takes over a reference (a floating one is sunk first).
Variant adoptVariant(GVariant* value);

// The time `seconds` from now.
Deadline deadlineIn(double seconds);

struct Call {
    std::string destination;  // empty on a peer-to-peer connection
    std::string path;
    std::string interface;
    std::string method;
    Variant arguments;  // a tuple, or null for none
};

struct Reply {
    enum class Kind { missing, value, error };
    Kind kind = Kind::missing;  // missing: no answer before the deadline
    Variant body;               // the reply's tuple when kind is value
    std::string errorName;      // when kind is error
};

// The reply's tuple when it is a value of exactly `type` ("(b)"), else null.
GVariant* bodyOf(const Reply& reply, const char* type);

class CallPipe {
public:
    // Connects to a message bus (`bus` true) or straight to a peer; gives up
    // at the deadline, leaving a connection attempt that hangs to finish on
    // its own. Null when it fails.
    static std::shared_ptr<CallPipe> open(const std::string& address, bool bus, Deadline deadline);
    ~CallPipe();
    CallPipe(const CallPipe&) = delete;
    CallPipe& operator=(const CallPipe&) = delete;

    // Sends every call, then waits for the replies until all came or the
    // deadline passed. One reply per call, in order.
    std::vector<Reply> callAll(const std::vector<Call>& calls, Deadline deadline);
    bool closed() const;

private:
    struct Pending;
    struct Shared;
    explicit CallPipe(GDBusConnection* connection);
    static GDBusMessage* filter(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer data);

    GDBusConnection* connection_ = nullptr;
    std::shared_ptr<Shared> shared_;
    guint filterId_ = 0;
};

}  // namespace nimbo::atspi
