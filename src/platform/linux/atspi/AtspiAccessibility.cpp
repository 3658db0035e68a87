#include "platform/linux/atspi/AtspiAccessibility.h"

#include <atspi/atspi-constants.h>

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

#include "platform/linux/atspi/PageText.h"

namespace nimbo::atspi {
namespace {

using Clock = std::chrono::steady_clock;

// What was read of an element answers again for this long.
constexpr auto kFresh = std::chrono::seconds(1);
// An application that could not be reached directly is reached through the
// bus for this long before a new attempt.
constexpr auto kRetryDirect = std::chrono::seconds(10);
constexpr auto kRetryBus = std::chrono::seconds(5);
constexpr size_t kStoreLimit = 50000;
constexpr const char* kRoot = "/org/a11y/atspi/accessible/root";
// A socket holds one plug; a few more are asked for in case.
constexpr int kMostEmbedded = 4;

std::string key(const ObjectRef& ref) {
    return ref.bus + '\n' + ref.path;
}

std::optional<std::string> busAddress() {
    if (const char* address = std::getenv("AT_SPI_BUS_ADDRESS"); address && address[0] != '\0') return address;
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!session) return std::nullopt;
    GVariant* reply =
        g_dbus_connection_call_sync(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", nullptr,
                                    G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE, 1000, nullptr, nullptr);
    g_object_unref(session);
    if (!reply) return std::nullopt;
    const gchar* address = nullptr;
    g_variant_get(reply, "(&s)", &address);
    std::string out = address;
    g_variant_unref(reply);
    if (out.empty()) return std::nullopt;
    return out;
}

Call busCall(const std::string& destination, const std::string& path, const char* interface, const char* method,
             GVariant* arguments = nullptr) {
    return Call{destination, path, interface, method, adoptVariant(arguments)};
}

std::optional<ObjectRef> readOneRef(const Reply& reply) {
    if (reply.kind != Reply::Kind::value || !g_variant_is_of_type(reply.body.get(), G_VARIANT_TYPE("((so))"))) {
        return std::nullopt;
    }
    const gchar* bus = nullptr;
    const gchar* path = nullptr;
    g_variant_get(reply.body.get(), "((&s&o))", &bus, &path);
    if (bus[0] == '\0' || g_strcmp0(path, "/org/a11y/atspi/null") == 0) return std::nullopt;
    return ObjectRef{bus, path};
}

}  // namespace

AtspiAccessibility::AtspiAccessibility(std::function<std::optional<int>()> frontProcess)
    : frontProcess_(std::move(frontProcess)) {}
AtspiAccessibility::~AtspiAccessibility() = default;

std::shared_ptr<CallPipe> AtspiAccessibility::bus(Deadline deadline) {
    std::lock_guard lock(busLock_);
    if (bus_ && !bus_->closed()) return bus_;
    bus_.reset();
    if (Clock::now() - busFailedAt_ < kRetryBus && busFailedAt_ != Clock::time_point{}) return nullptr;
    if (auto address = busAddress()) bus_ = CallPipe::open(*address, true, deadline);
    if (!bus_) busFailedAt_ = Clock::now();
    return bus_;
}

std::optional<AtspiAccessibility::Route> AtspiAccessibility::route(const std::string& busName, Deadline deadline) {
    auto viaBus = [&]() -> std::optional<Route> {
        if (auto pipe = bus(deadline)) return Route{pipe, busName};
        return std::nullopt;
    };
    {
        std::lock_guard lock(linksLock_);
        // Applications come and go under new names; their links are dropped
        // wholesale now and then and made again on demand.
        if (links_.size() > 256) links_.clear();
        Link& link = links_[busName];
        if (link.direct && !link.direct->closed()) return Route{link.direct, ""};
        link.direct.reset();
        // One thread at a time tries the direct way; the others go through the bus meanwhile.
        if (link.connecting || (link.failedAt != Clock::time_point{} && Clock::now() - link.failedAt < kRetryDirect)) {
            return viaBus();
        }
        link.connecting = true;
    }
    std::shared_ptr<CallPipe> direct;
    if (auto viaBusRoute = viaBus()) {
        auto replies =
            send(*viaBusRoute, {busCall(busName, kRoot, "org.a11y.atspi.Application", "GetApplicationBusAddress")},
                 deadline);
        if (replies[0].kind == Reply::Kind::value &&
            g_variant_is_of_type(replies[0].body.get(), G_VARIANT_TYPE("(s)"))) {
            const gchar* address = nullptr;
            g_variant_get(replies[0].body.get(), "(&s)", &address);
            if (address[0] != '\0') direct = CallPipe::open(address, false, deadline);
        }
    }
    {
        std::lock_guard lock(linksLock_);
        Link& link = links_[busName];
        link.connecting = false;
        if (direct) {
            link.direct = direct;
            return Route{direct, ""};
        }
        link.failedAt = Clock::now();
    }
    return viaBus();
}

std::vector<Reply> AtspiAccessibility::send(const Route& route, std::vector<Call> calls, Deadline deadline) {
    if (!route.destination.empty()) {
        for (Call& call : calls) {
            if (call.destination.empty()) call.destination = route.destination;
        }
    }
    return route.pipe->callAll(calls, deadline);
}

std::optional<int> AtspiAccessibility::pidOfBus(const std::string& busName, Deadline deadline) {
    {
        std::lock_guard lock(linksLock_);
        if (auto found = pids_.find(busName); found != pids_.end()) return found->second;
    }
    auto pipe = bus(deadline);
    if (!pipe) return std::nullopt;
    auto replies = pipe->callAll({busCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                          "GetConnectionUnixProcessID", g_variant_new("(s)", busName.c_str()))},
                                 deadline);
    if (replies[0].kind != Reply::Kind::value || !g_variant_is_of_type(replies[0].body.get(), G_VARIANT_TYPE("(u)"))) {
        return std::nullopt;
    }
    guint32 pid = 0;
    g_variant_get(replies[0].body.get(), "(u)", &pid);
    std::lock_guard lock(linksLock_);
    if (pids_.size() > 4096) pids_.clear();
    pids_[busName] = static_cast<int>(pid);
    return static_cast<int>(pid);
}

platform::AXRef AtspiAccessibility::application(int pid) {
    if (pid <= 0) return nullptr;
    Deadline deadline = deadlineIn(kDefaultTimeout);
    auto pipe = bus(deadline);
    if (!pipe) return nullptr;
    auto listed = pipe->callAll({busCall("org.a11y.atspi.Registry", kRoot, "org.a11y.atspi.Accessible", "GetChildren")},
                                deadline);
    std::vector<ObjectRef> applications = readRefs(listed[0]);

    // The process ids of applications not seen before are asked all at once.
    std::vector<Call> asks;
    std::vector<std::string> asked;
    {
        std::lock_guard lock(linksLock_);
        for (const ObjectRef& app : applications) {
            if (auto found = pids_.find(app.bus); found != pids_.end()) {
                if (found->second == pid) return elementFor({app.bus, kRoot}, kDefaultTimeout);
                continue;
            }
            asks.push_back(busCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                   "GetConnectionUnixProcessID", g_variant_new("(s)", app.bus.c_str())));
            asked.push_back(app.bus);
        }
    }
    if (asks.empty()) return nullptr;
    auto replies = pipe->callAll(asks, deadline);
    std::optional<std::string> match;
    std::lock_guard lock(linksLock_);
    if (pids_.size() > 4096) pids_.clear();
    for (size_t i = 0; i < replies.size(); ++i) {
        if (replies[i].kind != Reply::Kind::value ||
            !g_variant_is_of_type(replies[i].body.get(), G_VARIANT_TYPE("(u)"))) {
            continue;
        }
        guint32 owner = 0;
        g_variant_get(replies[i].body.get(), "(u)", &owner);
        pids_[asked[i]] = static_cast<int>(owner);
        if (static_cast<int>(owner) == pid && !match) match = asked[i];
    }
    if (!match) return nullptr;
    return elementFor({*match, kRoot}, kDefaultTimeout);
}

platform::AXRef AtspiAccessibility::elementFor(const ObjectRef& ref, double timeout, MenuPart part) {
    return std::make_shared<Element>(ref, timeout, part);
}

void AtspiAccessibility::setMessagingTimeout(const platform::AXRef& element, double seconds) {
    if (auto* own = dynamic_cast<Element*>(element.get()); own && seconds > 0) own->timeout = seconds;
}

std::optional<ElementFacts> AtspiAccessibility::stored(const ObjectRef& ref) {
    std::lock_guard lock(storeLock_);
    auto found = store_.find(key(ref));
    if (found == store_.end()) return std::nullopt;
    if (Clock::now() - found->second.at > kFresh) {
        store_.erase(found);
        return std::nullopt;
    }
    return found->second.facts;
}

void AtspiAccessibility::store(const ObjectRef& ref, const ElementFacts& facts) {
    std::lock_guard lock(storeLock_);
    if (store_.size() >= kStoreLimit) store_.clear();
    store_[key(ref)] = Stored{Clock::now(), facts};
}

void AtspiAccessibility::forget(const ObjectRef& ref) {
    std::lock_guard lock(storeLock_);
    store_.erase(key(ref));
}

std::optional<ElementFacts> AtspiAccessibility::facts(const Element& element, size_t readAhead, bool needStates,
                                                      bool fresh) {
    // A menu is read with its items' shortcuts; the bar and its items are
    // not, as the display walk reads them for every capture and needs none.
    const bool keys = element.part == MenuPart::menu || element.part == MenuPart::item;
    if (auto known = fresh ? std::nullopt : stored(element.ref);
        known && (!needStates || known->statesKnown) && (!keys || known->keysKnown)) {
        return known;
    }
    Deadline deadline = deadlineIn(element.timeout);
    auto way = route(element.ref.bus, deadline);
    if (!way) return std::nullopt;

    // Breadth first from the element: each round trip carries the first
    // calls of the elements found last and the second calls of those before.
    // The element itself is always asked its states; the others only where
    // their role has states worth reading.
    struct Waiting {
        ObjectRef ref;
        ElementFacts facts;
    };
    std::vector<ObjectRef> level{element.ref};
    std::vector<Waiting> second;
    std::optional<ElementFacts> answer;
    size_t taken = 1;
    std::unordered_set<std::string> asked{key(element.ref)};
    while (!level.empty() || !second.empty()) {
        std::vector<Call> calls;
        std::vector<size_t> starts;
        for (const Waiting& waiting : second) {
            starts.push_back(calls.size());
            auto more = roleCalls(waiting.ref.path, waiting.facts, waiting.ref == element.ref, keys);
            calls.insert(calls.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
        const size_t commonStart = calls.size();
        for (const ObjectRef& ref : level) {
            auto more = commonCalls(ref.path);
            calls.insert(calls.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
        }
        auto replies = send(*way, std::move(calls), deadline);

        bool timedOut = false;
        std::vector<ObjectRef> next;
        for (size_t i = 0; i < second.size(); ++i) {
            Waiting& waiting = second[i];
            const size_t end = i + 1 < second.size() ? starts[i + 1] : commonStart;
            bool complete = true;
            for (size_t at = starts[i]; at < end; ++at) complete = complete && replies[at].kind != Reply::Kind::missing;
            if (!complete) {
                if (waiting.ref == element.ref) return std::nullopt;
                timedOut = true;
                continue;
            }
            readRole(replies, starts[i], waiting.facts, waiting.ref == element.ref, keys);
            if (waiting.facts.children.empty() && waiting.facts.childCount > 0) {
                waiting.facts.children = embedded(*way, waiting.ref.path, waiting.facts.childCount, deadline);
            }
            store(waiting.ref, waiting.facts);
            if (waiting.ref == element.ref) answer = waiting.facts;
            for (const ObjectRef& child : waiting.facts.children) {
                // Children in another application (an embedded one) are read when asked for.
                if (taken >= readAhead + 1 || child.bus != element.ref.bus) continue;
                // Each element once: a tree may name one element twice, or its own ancestor.
                if (!asked.insert(key(child)).second) continue;
                next.push_back(child);
                ++taken;
            }
        }

        std::vector<Waiting> nextSecond;
        for (size_t i = 0; i < level.size(); ++i) {
            const size_t first = commonStart + i * kCommonCalls;
            ElementFacts facts;
            if (!readCommon(replies, first, facts)) {
                if (level[i] == element.ref) return std::nullopt;  // gone, or did not answer
                if (replies[first].kind == Reply::Kind::missing) timedOut = true;
                continue;
            }
            if (roleCalls(level[i].path, facts, level[i] == element.ref, keys).empty()) {
                facts.keysKnown = keys;
                store(level[i], facts);
            } else {
                nextSecond.push_back({level[i], std::move(facts)});
            }
        }
        if (timedOut) break;
        level = std::move(next);
        second = std::move(nextSecond);
    }
    return answer;
}

std::vector<ObjectRef> AtspiAccessibility::embedded(const Route& route, const std::string& path, int count,
                                                    Deadline deadline) {
    // A socket (a web view's, whose page another process shows) lists no
    // children but names the one plugged into it when asked by index.
    std::vector<Call> calls;
    const int asked = std::min(count, kMostEmbedded);
    calls.reserve(static_cast<size_t>(asked));
    for (int i = 0; i < asked; ++i) {
        calls.push_back(
            Call{"", path, "org.a11y.atspi.Accessible", "GetChildAtIndex", adoptVariant(g_variant_new("(i)", i))});
    }
    std::vector<ObjectRef> found;
    for (const Reply& reply : send(route, std::move(calls), deadline)) {
        if (auto ref = readOneRef(reply)) found.push_back(std::move(*ref));
    }
    return found;
}

platform::AXRef AtspiAccessibility::firstMatch(const Element& root, uint32_t role, Deadline deadline) {
    auto way = route(root.ref.bus, deadline);
    if (!way) return nullptr;
    auto replies = send(*way, {matchesCall(root.ref.path, {}, {role}, 1, true)}, deadline);
    auto found = readRefs(replies[0]);
    if (found.empty()) return nullptr;
    return elementFor(found.front(), root.timeout);
}

platform::AXRef AtspiAccessibility::focusedWindow(const Element& application, Deadline deadline) {
    auto app = facts(application, 0, false);
    if (!app) return nullptr;
    auto way = route(application.ref.bus, deadline);
    if (!way || app->children.empty()) return nullptr;
    std::vector<Call> calls;
    for (const ObjectRef& window : app->children) {
        calls.push_back(Call{"", window.path, "org.a11y.atspi.Accessible", "GetState", nullptr});
    }
    auto replies = send(*way, std::move(calls), deadline);
    for (size_t i = 0; i < replies.size(); ++i) {
        auto states = readStates(replies[i]);
        if (states && states->has(ATSPI_STATE_ACTIVE)) return elementFor(app->children[i], application.timeout);
    }
    return nullptr;
}

// The attributes that take more than the element's own facts.
std::optional<platform::AXValue> AtspiAccessibility::special(const Element& element, const std::string& name) {
    Deadline deadline = deadlineIn(element.timeout);
    if (name == "AXWindows") {
        auto app = facts(element, 0, false);
        if (!app) return std::nullopt;
        std::vector<platform::AXRef> windows;
        for (const ObjectRef& child : app->children) windows.push_back(elementFor(child, element.timeout));
        return platform::AXValue(std::move(windows));
    }
    if (name == "AXFocusedWindow") {
        if (auto window = focusedWindow(element, deadline)) return platform::AXValue(window);
        return std::nullopt;
    }
    if (name == "AXMenuBar") {
        // GTK puts an application's menu bar inside its window: the active
        // window's, else the first window's that has one.
        std::vector<platform::AXRef> windows;
        if (auto window = focusedWindow(element, deadline)) windows.push_back(window);
        if (auto app = facts(element, 0, false)) {
            for (const ObjectRef& child : app->children) windows.push_back(elementFor(child, element.timeout));
        }
        for (const auto& window : windows) {
            if (auto bar = firstMatch(static_cast<const Element&>(*window), ATSPI_ROLE_MENU_BAR, deadline)) {
                // Read from here down in the menus' shape.
                const auto& found = static_cast<const Element&>(*bar);
                return platform::AXValue(elementFor(found.ref, found.timeout, MenuPart::bar));
            }
            if (Clock::now() >= deadline) break;
        }
        return std::nullopt;
    }
    if (name == "AXVerticalScrollBar") {
        if (auto bar = verticalScrollBar(element, deadline)) return platform::AXValue(bar);
        return std::nullopt;
    }
    if (name == "AXDocument") return document(element, deadline);
    return std::nullopt;
}

namespace {
bool isSpecial(const std::string& name) {
    return name == "AXWindows" || name == "AXFocusedWindow" || name == "AXMenuBar" || name == "AXDocument" ||
           name == "AXVerticalScrollBar";
}
}  // namespace

std::optional<std::vector<platform::AXValue>> AtspiAccessibility::copyMultiple(const platform::AXRef& element,
                                                                               const std::vector<std::string>& names) {
    if (const auto* knob = dynamic_cast<const ScrollKnob*>(element.get())) {
        std::vector<platform::AXValue> values;
        values.reserve(names.size());
        for (const std::string& name : names) values.push_back(knobValue(*knob, name));
        return values;
    }
    if (auto* run = dynamic_cast<TextRun*>(element.get())) {
        std::vector<platform::AXValue> values;
        values.reserve(names.size());
        for (const std::string& name : names) values.push_back(runValue(*run, name));
        return values;
    }
    if (const auto* span = dynamic_cast<const TextSpan*>(element.get())) {
        std::vector<platform::AXValue> values;
        values.reserve(names.size());
        for (const std::string& name : names) values.push_back(spanValue(*span, name).value_or(std::monostate{}));
        return values;
    }
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return std::nullopt;
    auto known = facts(*own, readAhead_, std::any_of(names.begin(), names.end(), fromStates));
    if (!known) return std::nullopt;
    std::vector<platform::AXValue> values;
    values.reserve(names.size());
    for (const std::string& name : names) {
        if (isSpecial(name)) {
            values.push_back(special(*own, name).value_or(std::monostate{}));
        } else {
            values.push_back(valueOf(*own, *known, name));
        }
    }
    return values;
}

std::optional<platform::AXValue> AtspiAccessibility::copy(const platform::AXRef& element, const std::string& name) {
    if (const auto* knob = dynamic_cast<const ScrollKnob*>(element.get())) {
        platform::AXValue value = knobValue(*knob, name);
        if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
        return value;
    }
    if (auto* run = dynamic_cast<TextRun*>(element.get())) {
        platform::AXValue value = runValue(*run, name);
        if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
        return value;
    }
    if (const auto* span = dynamic_cast<const TextSpan*>(element.get())) return spanValue(*span, name);
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return std::nullopt;
    if (isSpecial(name)) return special(*own, name);
    // What the user or the shell may have just changed is asked anew: a
    // read that waits for a field's text to change must not see it stored.
    const bool changing = name == "AXValue" || fromStates(name);
    auto known = facts(*own, 0, fromStates(name), changing);
    if (!known) return std::nullopt;
    platform::AXValue value = valueOf(*own, *known, name);
    if (std::holds_alternative<std::monostate>(value)) return std::nullopt;
    return value;
}

platform::AXValue AtspiAccessibility::valueOf(const Element& element, const ElementFacts& facts,
                                              const std::string& name) {
    double timeout = element.timeout;
    auto inMenus = [&](const ObjectRef& ref, MenuPart part) { return elementFor(ref, timeout, part); };
    if (auto value = menuValue(element.part, element.ref, facts, name, inMenus)) return *value;
    if (name == "AXChildren" && facts.pageText) return pageChildren(element, facts);
    if (name == "AXChildren" && facts.role == ATSPI_ROLE_SCROLL_BAR && facts.children.empty()) {
        return barChildren(element, facts);
    }
    return axValue(facts, name, [&](const ObjectRef& ref) { return elementFor(ref, timeout); });
}

platform::AXValue AtspiAccessibility::pageChildren(const Element& element, const ElementFacts& facts) {
    std::vector<platform::AXRef> list;
    size_t runs = 0;
    for (const PagePiece& piece : pagePieces(*facts.pageText, facts.children.size())) {
        if (piece.text) {
            list.push_back(std::make_shared<TextRun>(element.ref, runs++, *piece.text, element.timeout));
        } else {
            list.push_back(elementFor(facts.children[piece.child], element.timeout));
        }
    }
    return platform::AXValue(std::move(list));
}

// GTK scrollables step by a tenth of the page they show, so the page is
// ten of the bar's smallest steps and the knob's share of the bar is that
// page's share of the whole.
platform::AXValue AtspiAccessibility::barChildren(const Element& bar, const ElementFacts& facts) {
    std::vector<platform::AXRef> list;
    if (facts.increment && *facts.increment > 0 && facts.minimum && facts.maximum && facts.extents &&
        (*facts.extents)[3] > 0) {
        const double page = *facts.increment * 10;
        const double whole = std::max(*facts.maximum - *facts.minimum, 0.0) + page;
        const double height = (*facts.extents)[3] * page / whole;
        list.push_back(
            std::make_shared<ScrollKnob>(bar.ref, Size{static_cast<double>((*facts.extents)[2]), height}, bar.timeout));
    }
    return platform::AXValue(std::move(list));
}

platform::AXValue AtspiAccessibility::knobValue(const ScrollKnob& knob, const std::string& name) {
    if (name == "AXRole") return std::string("AXValueIndicator");
    if (name == "AXSize") return knob.size;
    if (name == "AXParent") return elementFor(knob.bar, knob.timeout);
    return std::monostate{};
}

platform::AXValue AtspiAccessibility::runValue(const TextRun& run, const std::string& name) {
    if (name == "AXRole") return std::string("AXStaticText");
    if (name == "AXValue") return run.text;
    if (name == "AXParent") return elementFor(run.owner, run.timeout);
    return std::monostate{};
}

platform::AXRef AtspiAccessibility::elementAtPosition(const platform::AXRef& application, Point point) {
    auto* app = dynamic_cast<Element*>(application.get());
    if (!app) return nullptr;
    Deadline deadline = deadlineIn(app->timeout);
    auto appFacts = facts(*app, 0, false);
    if (!appFacts || appFacts->children.empty()) return nullptr;
    auto way = route(app->ref.bus, deadline);
    if (!way) return nullptr;

    // Every window is asked at once; where windows overlap (a menu open over
    // its window) the smallest one holding the point is the one on top.
    std::vector<Call> calls;
    auto at = [&](const std::string& path) {
        return Call{"", path, "org.a11y.atspi.Component", "GetAccessibleAtPoint",
                    adoptVariant(g_variant_new("(iiu)", static_cast<gint32>(point.x), static_cast<gint32>(point.y),
                                               ATSPI_COORD_TYPE_SCREEN))};
    };
    for (const ObjectRef& window : appFacts->children) {
        calls.push_back(at(window.path));
        calls.push_back(Call{"", window.path, "org.a11y.atspi.Component", "GetExtents",
                             adoptVariant(g_variant_new("(u)", ATSPI_COORD_TYPE_SCREEN))});
    }
    auto replies = send(*way, std::move(calls), deadline);
    std::optional<ObjectRef> hit;
    double smallest = 0;
    for (size_t i = 0; i < appFacts->children.size(); ++i) {
        auto found = readOneRef(replies[2 * i]);
        const Reply& extents = replies[2 * i + 1];
        if (!found || extents.kind != Reply::Kind::value ||
            !g_variant_is_of_type(extents.body.get(), G_VARIANT_TYPE("((iiii))"))) {
            continue;
        }
        gint32 x = 0, y = 0, width = 0, height = 0;
        g_variant_get(extents.body.get(), "((iiii))", &x, &y, &width, &height);
        double area = double(width) * double(height);
        if (!hit || area < smallest) {
            hit = found;
            smallest = area;
        }
    }
    if (!hit) return nullptr;

    // Each container names only its child at the point: go down until none
    // does. Bounded, in case an application answers with a cycle.
    ObjectRef current = *hit;
    for (int depth = 0; depth < 64 && Clock::now() < deadline; ++depth) {
        auto next = route(current.bus, deadline);
        if (!next) break;
        auto below = readOneRef(send(*next, {at(current.path)}, deadline)[0]);
        if (!below || *below == current) break;
        current = *below;
    }
    return elementFor(current, app->timeout);
}

std::optional<int> AtspiAccessibility::pid(const platform::AXRef& element) {
    if (auto* run = dynamic_cast<TextRun*>(element.get())) return pidOfBus(run->owner.bus, deadlineIn(run->timeout));
    if (const auto* knob = dynamic_cast<const ScrollKnob*>(element.get())) {
        return pidOfBus(knob->bar.bus, deadlineIn(knob->timeout));
    }
    if (const auto* span = dynamic_cast<const TextSpan*>(element.get())) return pid(span->text);
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return std::nullopt;
    return pidOfBus(own->ref.bus, deadlineIn(own->timeout));
}

}  // namespace nimbo::atspi
