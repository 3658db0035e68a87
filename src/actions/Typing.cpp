#include "actions/Typing.h"

#include "actions/Actions.h"
#include "actions/Desktop.h"
#include "screen/Elements.h"

namespace nimbo::Typing {
namespace {

// Waits for the other application to show what it was given.
constexpr double kWriteTaken = 0.3;
constexpr double kPasteArrives = 0.8;
constexpr double kWriteArrives = 0.2;
constexpr double kBeforeReturn = 0.12;
constexpr double kPoll = 0.05;
// How long the typed text stays on the clipboard before the user's items return.
constexpr double kRestoreAfter = 0.45;

constexpr int kReturnKey = 36;

const std::string kNeedAccessibility =
    "I need Accessibility permission to type — I've opened Settings; add nimbo, then restart me.";
const std::string kDidNotGoIn = "it didn't go in — click in the box, then ask me again";
const std::string kNoClipboard = "I couldn't use the clipboard to type it — ask me again";

// Pastes the text through the clipboard and puts the user's items back
// shortly after, unless someone else wrote to the clipboard meanwhile. False
// when the text could not be put on the clipboard (nothing is pasted then).
bool paste(const std::string& text) {
    auto& platform = Actions::desktop();
    auto& board = platform.pasteboard();
    std::vector<platform::PasteboardItem> saved;
    for (auto& item : board.items()) {
        if (!item.data.empty()) saved.push_back(std::move(item));
    }
    board.clearContents();
    if (!board.setString(text)) {
        // Whatever is on it now is not what was asked for: never paste that.
        if (!saved.empty()) board.writeItems(saved);
        return false;
    }
    const long ours = board.changeCount();
    platform.syntheticInput().paste(kMarker);
    if (saved.empty()) return true;
    platform.main().after(kRestoreAfter, [&board, saved = std::move(saved), ours] {
        if (board.changeCount() != ours) return;
        board.clearContents();
        board.writeItems(saved);
    });
    return true;
}

}  // namespace

std::optional<std::string> value(const platform::AXRef& element) {
    if (!element) return std::nullopt;
    auto read = Actions::desktop().accessibility().copy(element, "AXValue");
    const auto* text = read ? std::get_if<std::string>(&*read) : nullptr;
    if (!text) return std::nullopt;
    return *text;
}

std::optional<Focus> focused() {
    auto& ax = Actions::desktop().accessibility();
    auto element = ax.focusedElement();
    if (!element) return std::nullopt;
    auto role = ax.copy(element, "AXRole");
    auto name = role ? Elements::str(*role) : std::nullopt;
    if (!name) return std::nullopt;
    return Focus{element, *name};
}

std::optional<std::string> writeViaAccessibility(const std::string& text, const platform::AXRef& field) {
    auto& ax = Actions::desktop().accessibility();
    std::optional<Focus> into;
    if (field) {
        auto role = ax.copy(field, "AXRole");
        if (auto name = role ? Elements::str(*role) : std::nullopt) into = Focus{field, *name};
    } else {
        into = focused();
    }
    if (!into || !Actions::fieldRoles().contains(into->role)) return std::nullopt;
    // Replaces the selection, or inserts at the caret.
    if (ax.setAttribute(into->element, "AXSelectedText", text) != platform::AXError::success) return std::nullopt;
    return "AXSelectedText";
}

std::optional<bool> changed(const platform::AXRef& element, const std::optional<std::string>& before, double seconds) {
    auto& clock = Actions::desktop().clock();
    const double deadline = clock.now() + seconds;
    for (;;) {
        auto now = value(element);
        if (!now) return std::nullopt;
        if (!before || *now != *before) return true;
        if (clock.now() >= deadline) return false;
        clock.sleep(kPoll);
    }
}

void key(int keyCode, std::uint64_t flags) {
    Actions::desktop().syntheticInput().key(keyCode, flags, kMarker);
}

std::string named(const platform::AXRef& element, const std::string& verb) {
    auto& platform = Actions::desktop();
    std::optional<platform::RunningApp> app;
    if (auto pid = element ? platform.accessibility().pid(element) : std::nullopt) {
        app = platform.runningApps().running(*pid);
    }
    if (!app) app = platform.application().frontApplication();
    const std::string name = app && !app->name.empty() ? app->name : "an app it could not name";
    return name + ", " + verb;
}

Result type(const std::string& text, bool submit, const platform::AXRef& field) {
    if (text.empty()) return {false, "nothing to type"};
    auto& platform = Actions::desktop();
    if (!platform.permissions().accessibilityTrusted()) {
        platform.workspace().openPrivacyPane("Privacy_Accessibility");
        return {false, kNeedAccessibility};
    }
    const auto before = field ? value(field) : std::nullopt;
    bool written = writeViaAccessibility(text, field).has_value();
    // An application may answer the write and ignore it; then it is pasted.
    if (written && field && before && changed(field, before, kWriteTaken) == false) written = false;
    if (!written && !paste(text)) return {false, kNoClipboard};
    const auto into = named(field, written ? "written" : "pasted");

    bool verified = false;
    if (field) {
        auto arrived = changed(field, before, written ? kWriteArrives : kPasteArrives);
        if (arrived == false) return {false, kDidNotGoIn, false, into, false};
        verified = arrived.value_or(false);
    }
    if (submit) {
        platform.clock().sleep(kBeforeReturn);
        key(kReturnKey, 0);
    }
    return {true, std::nullopt, submit, into, verified};
}

}  // namespace nimbo::Typing
