#pragma once
// Offers the page proposes and the shell runs only on a gesture of the user's
// own, the safety rules for pressing, and finding and focusing fields.
#include <cstdint>
#include <functional>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "actions/ClaudeCode.h"
#include "display/OverlayWindow.h"
#include "platform/Json.h"
#include "platform/Platform.h"
#include "screen/Elements.h"

namespace nimbo::Actions {

// The desktop every operation acts on; set once at start-up (tests: the sim).
void attach(platform::Platform& platform);

// Opens a page path of the origin inside the control center; false when it can't.
inline std::function<bool(const std::string& path)> openInApp;

// (began, ended) of the last chord hold, on the platform clock.
inline std::optional<std::pair<double, double>> lastHold;
// When the shell last clicked by itself, on the platform clock: click
// watching ignores its own clicks for a second.
inline std::optional<double> lastOwnClick;

// The one offer that may be accepted.
struct Pending {
    std::string id;
    std::string kind;
    std::optional<std::string> text;
    std::optional<std::string> url;
    std::optional<Elements::Target> target;
    std::optional<ClaudeCode::Target> claude;
    bool tap = false;
    double at = 0;  // when it was held, on the platform clock
};

struct Outcome {
    bool ok = false;
    std::optional<std::string> why;
    bool operator==(const Outcome&) const = default;
};

using Done = std::function<void(const Json& result)>;

// Friendly role names an offer may type into / press.
const std::set<std::string>& typable();
const std::set<std::string>& pressable();
// Names of controls that are the user's own to press (whole words, any case).
const std::regex& theirs();
// Accessibility roles: fields that take text, and what counts as a control, not a box.
const std::set<std::string>& fieldRoles();
const std::set<std::string>& controlRoles();

// A new ticket for one proposal; drops the held offer.
std::int64_t begin();
// Drops the held offer: a clear from the page, a double tap, its page gone.
void clear();
// The current ticket.
std::int64_t generation();
// Checks one proposal and, if the ticket is still current, holds it.
// Answers {ok: true, detail} or {ok: false, why}. Safe off the main thread.
Json stage(const Json& offer, std::int64_t ticket);
// The held offer, for tests and the dispatcher's bookkeeping.
std::optional<Pending> held();

void acceptByClick(const std::string& id, const MaybeJson& rect, OverlayWindow& window, Done done);
// True when the tap was taken to accept the held offer.
bool acceptByTap(double pressBegan, Done done);
void acceptBySpeech(const std::string& id, Done done);
void run(const Pending& pending, const std::string& by, Done done);
Json report(const std::string& by, const Pending& pending, bool ok, const std::optional<std::string>& why);

// The text an element holds, for "copy".
std::optional<std::string> holds(const platform::AXRef& element);

Outcome perform(const Pending& pending);
Outcome press(const std::optional<Elements::Target>& target);
bool stillThere(const Elements::Target& target);
bool lands(const platform::AXRef& element, Point point);
void click(Point point);
// The address, normalised, when it is a plain http(s) address with a dotted host.
std::optional<std::string> safeURL(const std::string& text);
// A path of the origin's agent pages, the only ones an offer may open in the shell.
bool agentsPath(const std::string& path);

// Fields: finding one under a point, focusing it, clicking into an unseen box.
std::optional<Elements::Target> field(Point point);
Outcome focus(const Elements::Target& target);
Outcome clickToFocus(Point point);
bool blindApp(Point point);
bool isFocused(const platform::AXRef& element);

}  // namespace nimbo::Actions
