#include "platform/sim/SimAccessibility.h"

#include <functional>

namespace nimbo::sim {

namespace {

// What a request waits for an application that does not answer, when nobody set a time-out.
constexpr double kDefaultTimeout = 6.0;

bool contains(Rect frame, Point point) {
    return point.x >= frame.minX() && point.x < frame.maxX() && point.y >= frame.minY() && point.y < frame.maxY();
}

}  // namespace

SimAccessibility::~SimAccessibility() {
    for (const auto& element : made_) element->attributes.clear();
}

SimRef SimAccessibility::addApp(int pid) {
    auto root = std::make_shared<SimElement>();
    root->pid = pid;
    root->attributes["AXRole"] = std::string("AXApplication");
    made_.push_back(root);
    apps[pid].root = root;
    return root;
}

SimRef SimAccessibility::add(const SimRef& parent, std::map<std::string, platform::AXValue> attributes) {
    auto child = std::make_shared<SimElement>();
    child->pid = parent->pid;
    child->attributes = std::move(attributes);
    child->parent = parent;
    made_.push_back(child);
    auto& children = parent->attributes["AXChildren"];
    if (!std::holds_alternative<std::vector<platform::AXRef>>(children)) children = std::vector<platform::AXRef>{};
    std::get<std::vector<platform::AXRef>>(children).push_back(child);
    return child;
}

SimRef SimAccessibility::add(const SimRef& parent, const std::string& role, const std::string& title, Rect frame) {
    auto child = add(parent, {{"AXRole", role}});
    if (!title.empty()) child->attributes["AXTitle"] = title;
    setFrame(child, frame);
    return child;
}

void SimAccessibility::setFrame(const SimRef& element, Rect frame) {
    element->attributes["AXPosition"] = frame.origin;
    element->attributes["AXSize"] = frame.size;
}

platform::AXRef SimAccessibility::application(int pid) {
    auto found = apps.find(pid);
    if (found == apps.end()) return nullptr;
    return found->second.root;
}

void SimAccessibility::setMessagingTimeout(const platform::AXRef& element, double seconds) {
    if (element) timeouts_[element.get()] = seconds;
}

SimApp* SimAccessibility::answering(const platform::AXRef& element) {
    ++requests;
    auto* sim = dynamic_cast<SimElement*>(element.get());
    if (!sim) return nullptr;
    auto found = apps.find(sim->pid);
    if (found == apps.end() || found->second.dead) return nullptr;
    auto& app = found->second;
    if (app.hangs) {
        double timeout = kDefaultTimeout;
        if (auto own = timeouts_.find(sim); own != timeouts_.end()) {
            timeout = own->second;
        } else if (auto ofApp = timeouts_.find(app.root.get()); ofApp != timeouts_.end()) {
            timeout = ofApp->second;
        }
        clock_.setNow(clock_.now() + timeout);
        return nullptr;
    }
    clock_.setNow(clock_.now() + app.delay);
    return &app;
}

platform::AXValue SimAccessibility::value(const SimElement& element, const std::string& name) const {
    if (name == "AXParent") {
        if (auto parent = element.parent.lock()) return platform::AXRef(parent);
        return std::monostate{};
    }
    auto found = element.attributes.find(name);
    return found == element.attributes.end() ? platform::AXValue{} : found->second;
}

std::optional<std::vector<platform::AXValue>> SimAccessibility::copyMultiple(const platform::AXRef& element,
                                                                             const std::vector<std::string>& names) {
    auto* app = answering(element);
    if (!app) return std::nullopt;
    std::vector<platform::AXValue> values;
    values.reserve(names.size());
    for (const auto& name : names) values.push_back(value(static_cast<const SimElement&>(*element), name));
    if (app->garbage && !values.empty()) values.pop_back();
    return values;
}

std::optional<platform::AXValue> SimAccessibility::copy(const platform::AXRef& element, const std::string& name) {
    if (!answering(element)) return std::nullopt;
    auto read = value(static_cast<const SimElement&>(*element), name);
    if (std::holds_alternative<std::monostate>(read)) return std::nullopt;
    return read;
}

platform::AXRef SimAccessibility::elementAtPosition(const platform::AXRef& application, Point point) {
    if (!answering(application)) return nullptr;
    // The deepest element whose frame holds the point, first child first.
    std::function<SimRef(const SimRef&, int)> deepest = [&](const SimRef& element, int depth) -> SimRef {
        if (depth > 64) return nullptr;
        auto children = element->attributes.find("AXChildren");
        if (children != element->attributes.end()) {
            if (const auto* list = std::get_if<std::vector<platform::AXRef>>(&children->second)) {
                for (const auto& child : *list) {
                    auto sim = std::dynamic_pointer_cast<SimElement>(child);
                    if (!sim) continue;
                    if (auto hit = deepest(sim, depth + 1)) return hit;
                }
            }
        }
        auto positionValue = value(*element, "AXPosition");
        const auto* position = std::get_if<Point>(&positionValue);
        auto sizeValue = value(*element, "AXSize");
        const auto* size = std::get_if<Size>(&sizeValue);
        if (position && size && contains(Rect{*position, *size}, point)) return element;
        return nullptr;
    };
    return deepest(std::static_pointer_cast<SimElement>(application), 0);
}

std::optional<int> SimAccessibility::pid(const platform::AXRef& element) {
    auto* sim = dynamic_cast<SimElement*>(element.get());
    if (!sim) return std::nullopt;
    return sim->pid;
}

}  // namespace nimbo::sim

namespace nimbo::sim {

platform::AXError SimAccessibility::performAction(const platform::AXRef& element, const std::string& action) {
    ++actionsAsked;
    if (!answering(element)) return platform::AXError::cannotComplete;
    auto& sim = static_cast<SimElement&>(*element);
    auto result = sim.actionResults.find(action);
    if (result != sim.actionResults.end() && result->second != platform::AXError::success) return result->second;
    sim.performed.push_back(action);
    return platform::AXError::success;
}

// Selected text is inserted at the end, as at a caret after the last character.
platform::AXError SimAccessibility::setAttribute(const platform::AXRef& element, const std::string& name,
                                                 const platform::AXValue& value) {
    ++writesAsked;
    if (!answering(element)) return platform::AXError::cannotComplete;
    auto sim = std::static_pointer_cast<SimElement>(element);
    if (name == "AXFocused") {
        if (sim->refusesFocus) return platform::AXError::attributeUnsupported;
        if (value == platform::AXValue{true}) focused = sim;
        return platform::AXError::success;
    }
    if (name == "AXSelectedText") {
        const auto* text = std::get_if<std::string>(&value);
        auto current = sim->attributes.find("AXValue");
        if (!text || current == sim->attributes.end() || !std::holds_alternative<std::string>(current->second)) {
            return platform::AXError::attributeUnsupported;
        }
        if (!sim->ignoresWrites) std::get<std::string>(current->second) += *text;
        return platform::AXError::success;
    }
    if (sim->settable.contains(name)) {
        if (auto refusal = sim->writeResults.find(name); refusal != sim->writeResults.end()) {
            if (refusal->second != platform::AXError::success) return refusal->second;
        }
        sim->attributes[name] = value;
        return platform::AXError::success;
    }
    return platform::AXError::attributeUnsupported;
}

bool SimAccessibility::isSettable(const platform::AXRef& element, const std::string& name) {
    if (!answering(element)) return false;
    return static_cast<const SimElement&>(*element).settable.contains(name);
}

std::optional<std::vector<platform::AXRef>> SimAccessibility::search(const platform::AXRef& root,
                                                                     const platform::AXSearch& query) {
    searches.push_back(query);
    if (!answering(root)) return std::nullopt;
    const auto& results = static_cast<const SimElement&>(*root).searchResults;
    if (!results) return std::nullopt;
    auto found = results->find(query.text);
    if (found == results->end()) return std::vector<platform::AXRef>{};
    return found->second;
}

}  // namespace nimbo::sim
