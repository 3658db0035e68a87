// Scroll panes over AT-SPI: a pane's vertical bar, moving it by its Value,
// and scrolling an element, or a run of characters in a text, into view.
#include <atspi/atspi-constants.h>

#include <algorithm>

#include "platform/linux/atspi/AtspiAccessibility.h"
#include "platform/linux/atspi/Calls.h"

namespace nimbo::atspi {
namespace {

using platform::AXError;
using Clock = std::chrono::steady_clock;

AXError unanswered(Deadline deadline) {
    return Clock::now() >= deadline ? AXError::cannotComplete : AXError::failure;
}

}  // namespace

// A pane's bars are among its children, the vertical one told by its state.
platform::AXRef AtspiAccessibility::verticalScrollBar(const Element& area, Deadline deadline) {
    auto pane = facts(area, 0, false);
    if (!pane || pane->role != ATSPI_ROLE_SCROLL_PANE || pane->children.empty()) return nullptr;
    auto way = route(area.ref.bus, deadline);
    if (!way) return nullptr;
    std::vector<Call> calls;
    for (const ObjectRef& child : pane->children) {
        calls.push_back(on(child.path, kAccessible, "GetRole"));
        calls.push_back(on(child.path, kAccessible, "GetState"));
    }
    auto replies = send(*way, std::move(calls), deadline);
    for (size_t i = 0; i < pane->children.size(); ++i) {
        guint32 role = 0;
        if (GVariant* body = bodyOf(replies[2 * i], "(u)")) g_variant_get(body, "(u)", &role);
        auto states = readStates(replies[2 * i + 1]);
        if (role == ATSPI_ROLE_SCROLL_BAR && states && states->has(ATSPI_STATE_VERTICAL)) {
            return elementFor(pane->children[i], area.timeout);
        }
    }
    return nullptr;
}

// The core's 0 to 1 put back into the bar's own range.
AXError AtspiAccessibility::setScrollBar(const Element& bar, const platform::AXValue& value) {
    const auto* share = std::get_if<double>(&value);
    if (!share) return AXError::illegalArgument;
    auto known = facts(bar, 0, false, true);
    if (!known) return AXError::cannotComplete;
    if (known->role != ATSPI_ROLE_SCROLL_BAR || !known->minimum || !known->maximum) {
        return AXError::attributeUnsupported;
    }
    const double wanted = *known->minimum + std::clamp(*share, 0.0, 1.0) * (*known->maximum - *known->minimum);
    const Deadline deadline = deadlineIn(bar.timeout);
    auto way = route(bar.ref.bus, deadline);
    if (!way) return unanswered(deadline);
    auto replies = send(*way,
                        {on(bar.ref.path, kProperties, "Set",
                            g_variant_new("(ssv)", kValue, "CurrentValue", g_variant_new_double(wanted)))},
                        deadline);
    forget(bar.ref);
    if (replies[0].kind == Reply::Kind::missing) return AXError::cannotComplete;
    return replies[0].kind == Reply::Kind::value ? AXError::success : AXError::failure;
}

bool AtspiAccessibility::isSettable(const platform::AXRef& element, const std::string& name) {
    auto* own = dynamic_cast<Element*>(element.get());
    if (!own) return false;
    const Deadline deadline = deadlineIn(own->timeout);
    auto way = route(own->ref.bus, deadline);
    if (!way) return false;
    const std::string& path = own->ref.path;
    auto replies = send(
        *way,
        {on(path, kAccessible, "GetInterfaces"), on(path, kAccessible, "GetState"), on(path, kAccessible, "GetRole")},
        deadline);
    auto states = readStates(replies[1]);
    guint32 role = 0;
    if (GVariant* body = bodyOf(replies[2], "(u)")) g_variant_get(body, "(u)", &role);
    if (!states) return false;
    const bool enabled = states->has(ATSPI_STATE_ENABLED) || states->has(ATSPI_STATE_SENSITIVE);
    // Only a scroll bar's value is set, in the core's 0 to 1.
    if (name == "AXValue") return role == ATSPI_ROLE_SCROLL_BAR && offers(replies[0], kValue) && enabled;
    if (name == "AXSelectedText") return offers(replies[0], kEditableText) && states->has(ATSPI_STATE_EDITABLE);
    if (name == "AXFocused") return offers(replies[0], kComponent) && states->has(ATSPI_STATE_FOCUSABLE);
    return false;
}

// A run of characters asks its text to show exactly those; an element asks
// the containers above it.
AXError AtspiAccessibility::scrollToVisible(const platform::AXRef& element) {
    const auto* span = dynamic_cast<const TextSpan*>(element.get());
    auto* own = dynamic_cast<Element*>(span ? span->text.get() : element.get());
    if (!own) return AXError::illegalArgument;
    const Deadline deadline = deadlineIn(own->timeout);
    auto way = route(own->ref.bus, deadline);
    if (!way) return unanswered(deadline);
    const std::string& path = own->ref.path;
    const char* interface = span ? kText : kComponent;
    Call scroll = span ? on(path, kText, "ScrollSubstringTo",
                            g_variant_new("(iiu)", span->start, span->end, ATSPI_SCROLL_ANYWHERE))
                       : on(path, kComponent, "ScrollTo", g_variant_new("(u)", ATSPI_SCROLL_ANYWHERE));
    auto replies = send(*way, {on(path, kAccessible, "GetInterfaces"), std::move(scroll)}, deadline);
    if (auto fault = unreachable(replies[0])) return *fault;
    if (!offers(replies[0], interface)) return AXError::actionUnsupported;
    forget(own->ref);
    return done(replies[1]);
}

}  // namespace nimbo::atspi
