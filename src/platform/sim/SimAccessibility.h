#pragma once
// Simulated accessibility trees. Each application is a tree of elements with
// attributes in the AX vocabulary; every request costs the application's
// answer delay on the virtual clock, so slow, hung, dead and confused
// applications can be played exactly.
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Accessibility.h"
#include "platform/sim/SimTime.h"

namespace nimbo::sim {

class SimElement : public platform::AXElement {
public:
    int pid = 0;
    std::map<std::string, platform::AXValue> attributes;
    std::weak_ptr<SimElement> parent;
    // What an action by name answers; actions not listed succeed.
    std::map<std::string, platform::AXError> actionResults;
    // Actions performed on it, in order.
    std::vector<std::string> performed;
    // Writes through "AXSelectedText" answer success and change nothing.
    bool ignoresWrites = false;
    // "AXFocused" cannot be set.
    bool refusesFocus = false;
    // Attributes that may be set ("AXValue" of a scroll bar takes a number).
    std::set<std::string> settable;
    // What a write of a settable attribute answers; writes not listed succeed.
    std::map<std::string, platform::AXError> writeResults;
    // What the system's text search under this element answers, by the text
    // searched for (a text not listed finds nothing); absent: it can't search here.
    std::optional<std::map<std::string, std::vector<platform::AXRef>>> searchResults;
};
using SimRef = std::shared_ptr<SimElement>;

struct SimApp {
    SimRef root;
    // Virtual seconds each request takes.
    double delay = 0;
    // Requests go unanswered until the messaging time-out.
    bool hangs = false;
    // Requests fail at once, as to a process that has quit.
    bool dead = false;
    // Batch reads come back one entry short.
    bool garbage = false;
};

class SimAccessibility : public platform::Accessibility {
public:
    explicit SimAccessibility(SimClock& clock) : clock_(clock) {}
    ~SimAccessibility() override;
    SimAccessibility(const SimAccessibility&) = delete;
    SimAccessibility& operator=(const SimAccessibility&) = delete;

    // The application element of a new process.
    SimRef addApp(int pid);
    // A child appended to `parent`'s AXChildren.
    SimRef add(const SimRef& parent, std::map<std::string, platform::AXValue> attributes);
    // A child with a role, a title and a frame (global top-left points).
    SimRef add(const SimRef& parent, const std::string& role, const std::string& title, Rect frame);
    static void setFrame(const SimRef& element, Rect frame);

    platform::AXRef application(int pid) override;
    void setMessagingTimeout(const platform::AXRef& element, double seconds) override;
    std::optional<std::vector<platform::AXValue>> copyMultiple(const platform::AXRef& element,
                                                               const std::vector<std::string>& names) override;
    std::optional<platform::AXValue> copy(const platform::AXRef& element, const std::string& name) override;
    platform::AXRef elementAtPosition(const platform::AXRef& application, Point point) override;
    std::optional<int> pid(const platform::AXRef& element) override;
    platform::AXError performAction(const platform::AXRef& element, const std::string& action) override;
    platform::AXError setAttribute(const platform::AXRef& element, const std::string& name,
                                   const platform::AXValue& value) override;
    bool isSettable(const platform::AXRef& element, const std::string& name) override;
    std::optional<std::vector<platform::AXRef>> search(const platform::AXRef& root,
                                                       const platform::AXSearch& query) override;
    platform::AXRef focusedElement() override { return focused; }
    bool same(const platform::AXRef& a, const platform::AXRef& b) override { return a && a == b; }

    // The element with keyboard focus.
    SimRef focused;

    std::map<int, SimApp> apps;
    // Requests answered or refused so far, of every kind.
    int requests = 0;
    // Actions and attribute writes asked for, answered or not.
    int actionsAsked = 0;
    int writesAsked = 0;
    // Every text search asked for, in order.
    std::vector<platform::AXSearch> searches;

private:
    // The application answering for `element`, after charging its delay; null when it fails.
    SimApp* answering(const platform::AXRef& element);
    platform::AXValue value(const SimElement& element, const std::string& name) const;

    SimClock& clock_;
    std::map<const platform::AXElement*, double> timeouts_;
    // Every element made, so that cyclic trees can be taken apart at the end.
    std::vector<SimRef> made_;
};

}  // namespace nimbo::sim
