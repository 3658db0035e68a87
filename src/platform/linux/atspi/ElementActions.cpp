// Acting on other applications' elements over AT-SPI: pressing through the
// Action interface, focusing through Component, writing through
// EditableText, and finding the element that has the keyboard focus.
#include <atspi/atspi-constants.h>

#include <algorithm>
#include <unordered_set>

#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/Calls.h"

namespace nimbo::atspi {
namespace {

using platform::AXError;
using Clock = std::chrono::steady_clock;

// Action names are asked one call each; no control has more worth a look.
constexpr size_t kMostActions = 32;
// The search for the focused element in a toolkit without collection
// queries stops after this many elements (a window of thousands of rows).
constexpr size_t kFocusBudget = 3000;

std::optional<int> integer(const Reply& reply) {
    if (GVariant* body = bodyOf(reply, "(i)")) {
        gint32 value = 0;
        g_variant_get(body, "(i)", &value);
        return value;
    }
    if (GVariant* body = bodyOf(reply, "(v)")) {
        GVariant* inner = nullptr;
        g_variant_get(body, "(v)", &inner);
        std::optional<int> value;
        if (g_variant_is_of_type(inner, G_VARIANT_TYPE_INT32)) value = g_variant_get_int32(inner);
        g_variant_unref(inner);
        return value;
    }
    return std::nullopt;
}

std::string text(const Reply& reply) {
    GVariant* body = bodyOf(reply, "(s)");
    if (!body) return {};
    const gchar* value = nullptr;
    g_variant_get(body, "(&s)", &value);
    return value;
}

}  // namespace

platform::AXError AtspiAccessibility::performAction(const platform::AXRef& element, const std::string& action) {
    if (action == "AXScrollToVisible") return scrollToVisible(element);
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return AXError::illegalArgument;
    if (action != "AXPress") return AXError::actionUnsupported;
    const Deadline deadline = deadlineIn(own->timeout);
    auto way = route(own->ref.bus, deadline);
    if (!way) return Clock::now() >= deadline ? AXError::cannotComplete : AXError::failure;
    const std::string& path = own->ref.path;

    auto first = send(*way, {on(path, kAccessible, "GetInterfaces"), on(path, kAction, "GetActions")}, deadline);
    if (auto fault = unreachable(first[0])) return *fault;
    if (!offers(first[0], kAction)) return AXError::actionUnsupported;
    if (first[1].kind == Reply::Kind::missing) return AXError::cannotComplete;
    GVariant* listed = bodyOf(first[1], "(a(sss))");
    if (!listed) return AXError::failure;
    GVariant* list = g_variant_get_child_value(listed, 0);
    const size_t count = std::min<size_t>(g_variant_n_children(list), kMostActions);
    g_variant_unref(list);

    // The list gives names as the user reads them, maybe translated; the
    // toolkit's own names are asked one by one.
    std::vector<Call> asks;
    for (size_t i = 0; i < count; ++i) {
        asks.push_back(on(path, kAction, "GetName", g_variant_new("(i)", static_cast<gint32>(i))));
    }
    auto named = send(*way, std::move(asks), deadline);
    std::vector<std::string> names;
    for (const Reply& reply : named) {
        if (reply.kind == Reply::Kind::missing) return AXError::cannotComplete;
        names.push_back(text(reply));
    }
    auto index = pressActionAmong(names);
    if (!index) return AXError::actionUnsupported;

    auto pressed =
        send(*way, {on(path, kAction, "DoAction", g_variant_new("(i)", static_cast<gint32>(*index)))}, deadline);
    forget(own->ref);
    return done(pressed[0]);
}

platform::AXError AtspiAccessibility::setAttribute(const platform::AXRef& element, const std::string& name,
                                                   const platform::AXValue& value) {
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return AXError::illegalArgument;
    if (name == "AXFocused") return setFocused(*own, value);
    if (name == "AXValue") return setScrollBar(*own, value);
    if (name == "AXSelectedText") {
        auto* wanted = std::get_if<std::string>(&value);
        // D-Bus carries only valid UTF-8 without NUL characters.
        if (!wanted || wanted->find('\0') != std::string::npos ||
            !g_utf8_validate(wanted->data(), static_cast<gssize>(wanted->size()), nullptr)) {
            return AXError::illegalArgument;
        }
        return replaceSelection(*own, *wanted);
    }
    return AXError::attributeUnsupported;
}

platform::AXError AtspiAccessibility::setFocused(const Element& element, const platform::AXValue& value) {
    auto* wanted = std::get_if<bool>(&value);
    if (!wanted) return AXError::illegalArgument;
    // AT-SPI can give an element the focus but has no way to take it away.
    if (!*wanted) return AXError::attributeUnsupported;
    const Deadline deadline = deadlineIn(element.timeout);
    auto way = route(element.ref.bus, deadline);
    if (!way) return Clock::now() >= deadline ? AXError::cannotComplete : AXError::failure;
    const std::string& path = element.ref.path;
    auto replies = send(*way, {on(path, kAccessible, "GetInterfaces"), on(path, kComponent, "GrabFocus")}, deadline);
    if (auto fault = unreachable(replies[0])) return *fault;
    if (!offers(replies[0], kComponent)) return AXError::attributeUnsupported;
    forget(element.ref);
    return done(replies[1]);
}

platform::AXError AtspiAccessibility::replaceSelection(const Element& element, const std::string& text) {
    const Deadline deadline = deadlineIn(element.timeout);
    auto way = route(element.ref.bus, deadline);
    if (!way) return Clock::now() >= deadline ? AXError::cannotComplete : AXError::failure;
    const std::string& path = element.ref.path;
    auto first = send(*way,
                      {on(path, kAccessible, "GetInterfaces"), on(path, kText, "GetNSelections"),
                       on(path, kText, "GetSelection", g_variant_new("(i)", 0)), property(path, kText, "CaretOffset"),
                       property(path, kText, "CharacterCount")},
                      deadline);
    if (auto fault = unreachable(first[0])) return *fault;
    if (!offers(first[0], kEditableText)) return AXError::attributeUnsupported;
    for (const Reply& reply : first) {
        if (reply.kind == Reply::Kind::missing) return AXError::cannotComplete;
    }

    // Offsets count characters; the text's length is given in bytes, as the
    // toolkits hand it on.
    std::vector<Call> edit;
    gint32 at = 0;
    gint32 start = 0, end = 0;
    if (GVariant* selection = bodyOf(first[2], "(ii)")) g_variant_get(selection, "(ii)", &start, &end);
    if (integer(first[1]).value_or(0) > 0 && start != end) {
        at = std::min(start, end);
        edit.push_back(on(path, kEditableText, "DeleteText", g_variant_new("(ii)", at, std::max(start, end))));
    } else if (auto caret = integer(first[3]); caret && *caret >= 0) {
        at = *caret;
    } else {
        // No caret to tell where: after what is there.
        at = std::max(0, integer(first[4]).value_or(0));
    }
    edit.push_back(on(path, kEditableText, "InsertText",
                      g_variant_new("(isi)", at, text.c_str(), static_cast<gint32>(text.size()))));
    auto replies = send(*way, std::move(edit), deadline);
    forget(element.ref);
    for (const Reply& reply : replies) {
        if (AXError outcome = done(reply); outcome != AXError::success) return outcome;
    }
    return AXError::success;
}

platform::AXRef AtspiAccessibility::focusedElement() {
    if (!frontProcess_) return nullptr;
    auto pid = frontProcess_();
    if (!pid) return nullptr;
    auto app = application(*pid);
    if (!app) return nullptr;
    const auto& application = static_cast<const Element&>(*app);
    const Deadline deadline = deadlineIn(application.timeout);

    // The active window holds the focus; an application that marks none
    // active has each of its windows searched.
    std::vector<platform::AXRef> windows;
    if (auto active = focusedWindow(application, deadline)) {
        windows.push_back(active);
    } else if (auto listed = facts(application, 0, false)) {
        for (const ObjectRef& child : listed->children) windows.push_back(elementFor(child, application.timeout));
    }
    for (const auto& window : windows) {
        if (Clock::now() >= deadline) break;
        if (auto found = focusedBelow(static_cast<const Element&>(*window), deadline)) return found;
    }
    return nullptr;
}

platform::AXRef AtspiAccessibility::focusedBelow(const Element& window, Deadline deadline) {
    auto way = route(window.ref.bus, deadline);
    if (!way) return nullptr;
    // One question where the toolkit answers collection queries.
    auto matched = send(*way, {matchesCall(window.ref.path, {ATSPI_STATE_FOCUSED}, {}, 1, true)}, deadline);
    if (matched[0].kind == Reply::Kind::value) {
        auto found = readRefs(matched[0]);
        if (found.empty()) return nullptr;
        return elementFor(found.front(), window.timeout);
    }
    if (matched[0].kind == Reply::Kind::missing) return nullptr;

    // Else breadth first, a level per round trip, through branches on screen.
    std::vector<ObjectRef> level{window.ref};
    std::unordered_set<std::string> asked{window.ref.path};
    size_t taken = 1;
    while (!level.empty() && Clock::now() < deadline) {
        std::vector<Call> calls;
        for (const ObjectRef& ref : level) {
            calls.push_back(on(ref.path, kAccessible, "GetState"));
            calls.push_back(on(ref.path, kAccessible, "GetChildren"));
        }
        auto replies = send(*way, std::move(calls), deadline);
        std::vector<ObjectRef> next;
        for (size_t i = 0; i < level.size(); ++i) {
            auto states = readStates(replies[2 * i]);
            if (!states || !states->has(ATSPI_STATE_SHOWING)) continue;
            if (states->has(ATSPI_STATE_FOCUSED) && !(level[i] == window.ref)) {
                return elementFor(level[i], window.timeout);
            }
            for (ObjectRef& child : readRefs(replies[2 * i + 1])) {
                // Another application embedded here keeps its own focus.
                if (child.bus != window.ref.bus || taken >= kFocusBudget) continue;
                if (!asked.insert(child.path).second) continue;
                next.push_back(std::move(child));
                ++taken;
            }
        }
        level = std::move(next);
    }
    return nullptr;
}

bool AtspiAccessibility::same(const platform::AXRef& a, const platform::AXRef& b) {
    auto* firstRun = dynamic_cast<TextRun*>(a.get());
    auto* secondRun = dynamic_cast<TextRun*>(b.get());
    if (firstRun || secondRun)
        return firstRun && secondRun && firstRun->owner == secondRun->owner && firstRun->at == secondRun->at;
    auto* first = dynamic_cast<Element*>(a.get());
    auto* second = dynamic_cast<Element*>(b.get());
    // An item that opens a submenu and that menu are one AT-SPI element, two here.
    return first && second && first->ref == second->ref &&
           (first->part == MenuPart::menu) == (second->part == MenuPart::menu);
}

}  // namespace nimbo::atspi
