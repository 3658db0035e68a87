#pragma once
// The accessibility trees of other applications, read over AT-SPI.
//
// Each application is spoken to on a connection of its own, straight to its
// socket where it offers one (else through the accessibility bus), and an
// element's attributes are asked with every call sent at once. Reading one
// element also reads the elements under it in the same round trips, since a
// walk asks for them next; what was read stays good for a second.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/Accessibility.h"
#include "platform/linux/atspi/CallPipe.h"
#include "platform/linux/atspi/ElementFacts.h"
#include "platform/linux/atspi/MenuItems.h"

namespace nimbo::atspi {

class AtspiAccessibility final : public platform::Accessibility {
public:
    // `frontProcess` tells which process has the active window: AT-SPI has
    // no question for the element with keyboard focus across the desktop, so
    // it is looked for in that application. Without it none is found.
    explicit AtspiAccessibility(std::function<std::optional<int>()> frontProcess = {});
    ~AtspiAccessibility() override;

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
    platform::AXRef focusedElement() override;
    bool same(const platform::AXRef& a, const platform::AXRef& b) override;

    // How many elements were read under the one asked for, at most (0: none).
    void setReadAhead(size_t elements) { readAhead_ = elements; }

private:
    class Element final : public platform::AXElement {
    public:
        Element(ObjectRef object, double seconds, MenuPart where = MenuPart::none)
            : ref(std::move(object)), timeout(seconds), part(where) {}
        const ObjectRef ref;
        std::atomic<double> timeout;
        // Reached down from a menu bar: read in the menus' shape, shortcuts included.
        const MenuPart part;
    };
    // A run of a web element's text between the elements inside it, shown
    // as a static-text leaf of its own (PageText.h).
    class TextRun final : public platform::AXElement {
    public:
        TextRun(ObjectRef element, size_t index, std::string said, double seconds)
            : owner(std::move(element)), at(index), text(std::move(said)), timeout(seconds) {}
        const ObjectRef owner;
        const size_t at;
        const std::string text;
        const double timeout;
    };
    // A run of characters inside a text element, as the search for words
    // finds it: static text whose parent is the text element, placed where
    // the characters are, and scrolled to by its characters alone.
    class TextSpan final : public platform::AXElement {
    public:
        TextSpan(platform::AXRef holder, int from, int to, std::string found)
            : text(std::move(holder)), start(from), end(to), words(std::move(found)) {}
        const platform::AXRef text;
        const int start;
        const int end;
        const std::string words;
    };
    // A scroll bar's knob, which GTK does not show as an element: as tall
    // in the bar as the page shown is in the whole, so a page down moves
    // the content by one page.
    class ScrollKnob final : public platform::AXElement {
    public:
        ScrollKnob(ObjectRef scrollBar, Size extent, double seconds)
            : bar(std::move(scrollBar)), size(extent), timeout(seconds) {}
        const ObjectRef bar;
        const Size size;
        const double timeout;
    };
    struct Route {
        std::shared_ptr<CallPipe> pipe;
        std::string destination;  // empty on a connection straight to the application
    };
    struct Link {
        std::shared_ptr<CallPipe> direct;
        bool connecting = false;
        std::chrono::steady_clock::time_point failedAt{};
    };
    struct Stored {
        std::chrono::steady_clock::time_point at;
        ElementFacts facts;
    };

    std::shared_ptr<CallPipe> bus(Deadline deadline);
    std::optional<Route> route(const std::string& busName, Deadline deadline);
    std::vector<Reply> send(const Route& route, std::vector<Call> calls, Deadline deadline);
    std::optional<int> pidOfBus(const std::string& busName, Deadline deadline);

    // What the element says, from the store or asked now with up to
    // `readAhead` elements below it; `needStates` refuses stored facts
    // without its states, `fresh` any stored facts.
    std::optional<ElementFacts> facts(const Element& element, size_t readAhead, bool needStates, bool fresh = false);
    std::optional<ElementFacts> stored(const ObjectRef& ref);
    void store(const ObjectRef& ref, const ElementFacts& facts);
    // After acting on an element what was read of it is out of date.
    void forget(const ObjectRef& ref);
    platform::AXRef elementFor(const ObjectRef& ref, double timeout, MenuPart part = MenuPart::none);
    std::optional<platform::AXValue> special(const Element& element, const std::string& name);
    platform::AXValue runValue(const TextRun& run, const std::string& name);
    platform::AXValue knobValue(const ScrollKnob& knob, const std::string& name);
    platform::AXValue barChildren(const Element& bar, const ElementFacts& facts);
    // A web element's children with the runs of its own text between them.
    platform::AXValue pageChildren(const Element& element, const ElementFacts& facts);
    // An attribute from what was read of the element.
    platform::AXValue valueOf(const Element& element, const ElementFacts& facts, const std::string& name);
    platform::AXRef focusedWindow(const Element& application, Deadline deadline);
    // The address of the document a window shows (WindowDocument.cpp).
    std::optional<platform::AXValue> document(const Element& element, Deadline deadline);
    // The children of an element that names them only one by one.
    std::vector<ObjectRef> embedded(const Route& route, const std::string& path, int count, Deadline deadline);
    platform::AXRef firstMatch(const Element& root, uint32_t role, Deadline deadline);
    platform::AXRef focusedBelow(const Element& window, Deadline deadline);
    platform::AXError setFocused(const Element& element, const platform::AXValue& value);
    // Scroll panes and their bars, and the words search.
    platform::AXRef verticalScrollBar(const Element& area, Deadline deadline);
    platform::AXError setScrollBar(const Element& bar, const platform::AXValue& value);
    platform::AXError scrollToVisible(const platform::AXRef& element);
    std::optional<platform::AXValue> spanValue(const TextSpan& span, const std::string& name);
    platform::AXError replaceSelection(const Element& element, const std::string& text);

    // Until the core sets one: long enough for a busy application, short
    // enough that a hung one is given up on.
    static constexpr double kDefaultTimeout = 2.0;

    std::function<std::optional<int>()> frontProcess_;

    std::mutex busLock_;
    std::shared_ptr<CallPipe> bus_;
    std::chrono::steady_clock::time_point busFailedAt_{};

    std::mutex linksLock_;
    std::unordered_map<std::string, Link> links_;
    std::unordered_map<std::string, int> pids_;

    std::mutex storeLock_;
    std::unordered_map<std::string, Stored> store_;

    size_t readAhead_ = 400;
};

}  // namespace nimbo::atspi
