#include "platform/linux/atspi/ElementFacts.h"

#include <atspi/atspi-constants.h>

#include <algorithm>

#include "platform/linux/atspi/MenuItems.h"

namespace nimbo::atspi {
namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";
constexpr const char* kProperties = "org.freedesktop.DBus.Properties";
constexpr const char* kValue = "org.a11y.atspi.Value";
constexpr const char* kApplicationPath = "/org/a11y/atspi/accessible/root";

Variant args(GVariant* tuple) {
    return adoptVariant(tuple);
}

std::optional<ObjectRef> readRef(GVariant* pair) {
    const gchar* bus = nullptr;
    const gchar* path = nullptr;
    g_variant_get(pair, "(&s&o)", &bus, &path);
    // A null reference is how AT-SPI says "none".
    if (bus[0] == '\0' || g_strcmp0(path, "/org/a11y/atspi/null") == 0) return std::nullopt;
    return ObjectRef{bus, path};
}

std::map<std::string, std::string> readMap(GVariant* map) {
    std::map<std::string, std::string> out;
    GVariantIter iter;
    g_variant_iter_init(&iter, map);
    const gchar* key = nullptr;
    const gchar* value = nullptr;
    while (g_variant_iter_next(&iter, "{&s&s}", &key, &value)) out.emplace(key, value);
    return out;
}

void readProperties(GVariant* all, ElementFacts& facts) {
    GVariantIter iter;
    g_variant_iter_init(&iter, all);
    const gchar* key = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_next(&iter, "{&sv}", &key, &value)) {
        std::string k = key;
        bool text = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING);
        if (text && k == "Name") facts.name = g_variant_get_string(value, nullptr);
        if (text && k == "Description") facts.description = g_variant_get_string(value, nullptr);
        if (text && k == "HelpText") facts.help = g_variant_get_string(value, nullptr);
        if (text && k == "AccessibleId") facts.accessibleId = g_variant_get_string(value, nullptr);
        if (k == "ChildCount" && g_variant_is_of_type(value, G_VARIANT_TYPE_INT32)) {
            facts.childCount = g_variant_get_int32(value);
        }
        if (k == "Attributes" && g_variant_is_of_type(value, G_VARIANT_TYPE("a{ss}")))
            facts.attributes = readMap(value);
        if (k == "Parent" && g_variant_is_of_type(value, G_VARIANT_TYPE("(so)"))) facts.parent = readRef(value);
        g_variant_unref(value);
    }
}

enum class RolePart { states, children, text, pageText, number, url, documentUrl, visibleChildren, keyBinding };

std::vector<RolePart> roleParts(const ElementFacts& facts, bool withStates, bool withKeys) {
    std::vector<RolePart> parts;
    if (withStates || !isStateless(facts.role)) parts.push_back(RolePart::states);
    if (facts.childCount != 0) parts.push_back(RolePart::children);
    if (holdsText(facts.role)) parts.push_back(RolePart::text);
    if (holdsPageText(facts.role)) parts.push_back(RolePart::pageText);
    if (holdsNumber(facts.role)) parts.push_back(RolePart::number);
    if (isLink(facts.role)) parts.push_back(RolePart::url);
    if (isDocument(facts.role)) parts.push_back(RolePart::documentUrl);
    if (isListLike(facts.role)) parts.push_back(RolePart::visibleChildren);
    if (withKeys && hasShortcut(facts.role)) parts.push_back(RolePart::keyBinding);
    return parts;
}

Call call(const std::string& path, const char* interface, const char* method, Variant arguments = nullptr) {
    return Call{"", path, interface, method, std::move(arguments)};
}

std::optional<std::string> nonEmpty(const std::optional<std::string>& text) {
    if (!text || text->empty()) return std::nullopt;
    return text;
}

std::optional<std::string> attribute(const ElementFacts& facts, const char* key) {
    auto found = facts.attributes.find(key);
    if (found == facts.attributes.end() || found->second.empty()) return std::nullopt;
    return found->second;
}

// From 0 at the top to 1 at the bottom. Toolkits give the range of the
// bar's top edge (GTK's maximum is already the content's height less the
// page's), so the top edge's place in it is the share scrolled; a bar with
// no room to move is at its end.
platform::AXValue scrollBarValue(const ElementFacts& facts) {
    if (!facts.number || !facts.minimum || !facts.maximum) return std::monostate{};
    const double room = *facts.maximum - *facts.minimum;
    if (room <= 0) return 1.0;
    return std::clamp((*facts.number - *facts.minimum) / room, 0.0, 1.0);
}

}  // namespace

std::vector<Call> commonCalls(const std::string& path) {
    return {
        call(path, kAccessible, "GetRole"),
        call(path, kProperties, "GetAll", args(g_variant_new("(s)", kAccessible))),
        // An application has no place on the screen, and its toolkit complains when asked for one.
        path == kApplicationPath
            ? call(path, kAccessible, "GetInterfaces")
            : call(path, "org.a11y.atspi.Component", "GetExtents", args(g_variant_new("(u)", ATSPI_COORD_TYPE_SCREEN))),
    };
}

bool readCommon(const std::vector<Reply>& replies, size_t first, ElementFacts& facts) {
    GVariant* role = bodyOf(replies[first], "(u)");
    if (!role) return false;
    for (size_t i = first; i < first + kCommonCalls; ++i) {
        if (replies[i].kind == Reply::Kind::missing) return false;
    }
    g_variant_get(role, "(u)", &facts.role);
    if (GVariant* all = bodyOf(replies[first + 1], "(a{sv})")) {
        GVariant* map = g_variant_get_child_value(all, 0);
        readProperties(map, facts);
        g_variant_unref(map);
    }
    if (GVariant* extents = bodyOf(replies[first + 2], "((iiii))")) {
        std::array<int, 4> box{};
        g_variant_get(extents, "((iiii))", &box[0], &box[1], &box[2], &box[3]);
        if (box[2] >= 0 && box[3] >= 0) facts.extents = box;
    }
    return true;
}

std::vector<Call> roleCalls(const std::string& path, const ElementFacts& facts, bool withStates, bool withKeys) {
    std::vector<Call> calls;
    for (RolePart part : roleParts(facts, withStates, withKeys)) {
        switch (part) {
            case RolePart::states:
                calls.push_back(call(path, kAccessible, "GetState"));
                break;
            case RolePart::children:
                calls.push_back(call(path, kAccessible, "GetChildren"));
                break;
            case RolePart::text:
            case RolePart::pageText:
                calls.push_back(call(path, "org.a11y.atspi.Text", "GetText", args(g_variant_new("(ii)", 0, -1))));
                break;
            case RolePart::number:
                // A scroll bar's number means something only against its range.
                calls.push_back(
                    facts.role == ATSPI_ROLE_SCROLL_BAR
                        ? call(path, kProperties, "GetAll", args(g_variant_new("(s)", kValue)))
                        : call(path, kProperties, "Get", args(g_variant_new("(ss)", kValue, "CurrentValue"))));
                break;
            case RolePart::url:
                calls.push_back(call(path, "org.a11y.atspi.Hyperlink", "GetURI", args(g_variant_new("(i)", 0))));
                break;
            case RolePart::documentUrl:
                calls.push_back(call(path, "org.a11y.atspi.Document", "GetAttributes"));
                break;
            case RolePart::visibleChildren:
                calls.push_back(matchesCall(path, {ATSPI_STATE_SHOWING}, {}, 0, false));
                break;
            case RolePart::keyBinding:
                // A menu item's one action is choosing it; its binding names the shortcut.
                calls.push_back(call(path, "org.a11y.atspi.Action", "GetKeyBinding", args(g_variant_new("(i)", 0))));
                break;
        }
    }
    return calls;
}

void readRole(const std::vector<Reply>& replies, size_t first, ElementFacts& facts, bool withStates, bool withKeys) {
    size_t index = first;
    facts.keysKnown = facts.keysKnown || withKeys;
    for (RolePart part : roleParts(facts, withStates, withKeys)) {
        const Reply& reply = replies[index++];
        switch (part) {
            case RolePart::states:
                if (auto states = readStates(reply)) {
                    facts.statesKnown = true;
                    facts.states = *states;
                }
                break;
            case RolePart::children:
                facts.children = readRefs(reply);
                break;
            case RolePart::text:
                if (GVariant* body = bodyOf(reply, "(s)")) {
                    const gchar* text = nullptr;
                    g_variant_get(body, "(&s)", &text);
                    facts.text = text;
                }
                break;
            case RolePart::pageText:
                if (GVariant* body = bodyOf(reply, "(s)")) {
                    const gchar* text = nullptr;
                    g_variant_get(body, "(&s)", &text);
                    facts.pageText = text;
                }
                break;
            case RolePart::number:
                if (GVariant* range = bodyOf(reply, "(a{sv})")) {
                    GVariant* all = g_variant_get_child_value(range, 0);
                    double read = 0;
                    if (g_variant_lookup(all, "MinimumValue", "d", &read)) facts.minimum = read;
                    if (g_variant_lookup(all, "MaximumValue", "d", &read)) facts.maximum = read;
                    if (g_variant_lookup(all, "CurrentValue", "d", &read)) facts.number = read;
                    if (g_variant_lookup(all, "MinimumIncrement", "d", &read)) facts.increment = read;
                    g_variant_unref(all);
                } else if (GVariant* body = bodyOf(reply, "(v)")) {
                    GVariant* value = nullptr;
                    g_variant_get(body, "(v)", &value);
                    if (g_variant_is_of_type(value, G_VARIANT_TYPE_DOUBLE)) facts.number = g_variant_get_double(value);
                    g_variant_unref(value);
                }
                break;
            case RolePart::url:
                if (GVariant* body = bodyOf(reply, "(s)")) {
                    const gchar* url = nullptr;
                    g_variant_get(body, "(&s)", &url);
                    if (url[0] != '\0') facts.url = url;
                }
                break;
            case RolePart::documentUrl:
                if (GVariant* body = bodyOf(reply, "(a{ss})")) {
                    GVariant* map = g_variant_get_child_value(body, 0);
                    auto attributes = readMap(map);
                    g_variant_unref(map);
                    for (const char* key : {"DocURL", "URI"}) {
                        auto found = attributes.find(key);
                        if (found != attributes.end() && !found->second.empty()) {
                            facts.url = found->second;
                            break;
                        }
                    }
                }
                break;
            case RolePart::visibleChildren:
                if (reply.kind == Reply::Kind::value) facts.visibleChildren = readRefs(reply);
                break;
            case RolePart::keyBinding:
                if (GVariant* body = bodyOf(reply, "(s)")) {
                    const gchar* binding = nullptr;
                    g_variant_get(body, "(&s)", &binding);
                    if (binding[0] != '\0') facts.keyBinding = binding;
                }
                break;
        }
    }
}

Call matchesCall(const std::string& path, std::vector<int> states, std::vector<uint32_t> roles, int count, bool deep) {
    // Sets travel as bit fields of 32-bit words: two for states, four for roles.
    gint32 stateBits[2] = {0, 0};
    for (int state : states) stateBits[state / 32] |= static_cast<gint32>(1U << (state % 32));
    gint32 roleBits[4] = {0, 0, 0, 0};
    for (uint32_t role : roles) {
        if (role < 128) roleBits[role / 32] |= static_cast<gint32>(1U << (role % 32));
    }
    GVariantBuilder stateList;
    g_variant_builder_init(&stateList, G_VARIANT_TYPE("ai"));
    for (gint32 word : stateBits) g_variant_builder_add(&stateList, "i", word);
    GVariantBuilder roleList;
    g_variant_builder_init(&roleList, G_VARIANT_TYPE("ai"));
    for (gint32 word : roleBits) g_variant_builder_add(&roleList, "i", word);
    GVariant* rule =
        g_variant_new("(aiia{ss}iaiiasib)", &stateList, ATSPI_Collection_MATCH_ALL, nullptr, ATSPI_Collection_MATCH_ALL,
                      &roleList, roles.empty() ? ATSPI_Collection_MATCH_ALL : ATSPI_Collection_MATCH_ANY, nullptr,
                      ATSPI_Collection_MATCH_ALL, FALSE);
    return call(path, "org.a11y.atspi.Collection", "GetMatches",
                args(g_variant_new("(@(aiia{ss}iaiiasib)uib)", rule, ATSPI_Collection_SORT_ORDER_CANONICAL, count,
                                   deep ? TRUE : FALSE)));
}

std::optional<States> readStates(const Reply& reply) {
    GVariant* body = bodyOf(reply, "(au)");
    if (!body) return std::nullopt;
    States states;
    GVariantIter* iter = nullptr;
    g_variant_get(body, "(au)", &iter);
    guint32 word = 0;
    for (int wordAt = 0; wordAt < 2 && g_variant_iter_next(iter, "u", &word); ++wordAt) {
        states.bits |= static_cast<uint64_t>(word) << (32 * wordAt);
    }
    g_variant_iter_free(iter);
    return states;
}

std::vector<ObjectRef> readRefs(const Reply& reply) {
    std::vector<ObjectRef> refs;
    GVariant* body = bodyOf(reply, "(a(so))");
    if (!body) return refs;
    GVariant* list = g_variant_get_child_value(body, 0);
    gsize count = g_variant_n_children(list);
    refs.reserve(count);
    for (gsize i = 0; i < count; ++i) {
        GVariant* pair = g_variant_get_child_value(list, i);
        if (auto ref = readRef(pair)) refs.push_back(std::move(*ref));
        g_variant_unref(pair);
    }
    g_variant_unref(list);
    return refs;
}

bool fromStates(const std::string& name) {
    return name == "AXSelected" || name == "AXFocused" || name == "AXEnabled";
}

platform::AXValue axValue(const ElementFacts& facts, const std::string& name,
                          const std::function<platform::AXRef(const ObjectRef&)>& element) {
    auto elements = [&](const std::vector<ObjectRef>& refs) {
        std::vector<platform::AXRef> list;
        list.reserve(refs.size());
        for (const ObjectRef& ref : refs) list.push_back(element(ref));
        return platform::AXValue(std::move(list));
    };
    auto text = [](const std::optional<std::string>& value) -> platform::AXValue {
        if (!value) return std::monostate{};
        return *value;
    };
    if (name == "AXRole") return axRole(facts.role, facts.states).role;
    if (name == "AXSubrole") return text(axRole(facts.role, facts.states).subrole);
    if (name == "AXTitle") return text(facts.name);
    if (name == "AXDescription") return text(facts.description);
    if (name == "AXHelp") return text(facts.help);
    if (name == "AXValue") {
        if (holdsCheck(facts.role)) return facts.states.has(ATSPI_STATE_CHECKED) ? 1.0 : 0.0;
        if (facts.text) return *facts.text;
        if (facts.role == ATSPI_ROLE_SCROLL_BAR) return scrollBarValue(facts);
        if (facts.number) return *facts.number;
        // A label's text is its name: toolkits give labels no value of their own.
        if (axRole(facts.role, facts.states).role == "AXStaticText") return text(facts.name);
        return std::monostate{};
    }
    if (name == "AXPlaceholderValue") return text(attribute(facts, "placeholder-text"));
    if (name == "AXPosition") {
        if (!facts.extents) return std::monostate{};
        return Point{double((*facts.extents)[0]), double((*facts.extents)[1])};
    }
    if (name == "AXSize") {
        if (!facts.extents) return std::monostate{};
        return Size{double((*facts.extents)[2]), double((*facts.extents)[3])};
    }
    if (name == "AXChildren") return elements(facts.children);
    if (name == "AXVisibleRows" || name == "AXVisibleChildren") {
        if (!facts.visibleChildren) return std::monostate{};
        return elements(*facts.visibleChildren);
    }
    if (name == "AXURL") {
        if (!facts.url) return std::monostate{};
        return platform::AXUrl{*facts.url};
    }
    if (name == "AXIdentifier") {
        if (auto id = nonEmpty(facts.accessibleId)) return *id;
        return text(attribute(facts, "id"));
    }
    if (fromStates(name) && !facts.statesKnown) {
        return std::monostate{};
    }
    if (name == "AXSelected") return facts.states.has(ATSPI_STATE_SELECTED);
    if (name == "AXFocused") return facts.states.has(ATSPI_STATE_FOCUSED);
    if (name == "AXEnabled") return facts.states.has(ATSPI_STATE_ENABLED) || facts.states.has(ATSPI_STATE_SENSITIVE);
    if (name == "AXParent") {
        // An application's parent is the registry's desktop, which is no element here.
        if (!facts.parent || facts.role == ATSPI_ROLE_APPLICATION) return std::monostate{};
        return element(*facts.parent);
    }
    return std::monostate{};
}

}  // namespace nimbo::atspi
