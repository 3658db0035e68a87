#include "platform/linux/gtk/GtkPasteboard.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <functional>
#include <set>

namespace nimbo::x11 {

struct ClipboardOffer {
    struct Piece {
        std::string target;
        std::string bytes;
        GdkAtom type = GDK_NONE;
        int format = 8;
    };
    // Offered under every text target GTK knows, converted as each asks.
    std::optional<std::string> text;
    std::vector<Piece> pieces;
};

namespace {

// One answer of the owner. GTK's request record holds it as well as the
// reader, which may have stopped waiting by the time the answer comes.
struct Answer {
    bool done = false;
    bool converted = false;
    std::string bytes;
    GdkAtom type = GDK_NONE;
    int format = 0;
    std::vector<GdkAtom> targets;
    std::optional<std::string> text;
};

using AnswerRef = std::shared_ptr<Answer>;

// An owner answers within milliseconds; a second is a hung one. A whole
// read is bounded too, however many targets are offered.
constexpr std::int64_t kAnswerMicroseconds = 1'000'000;
constexpr std::int64_t kReadMicroseconds = 3'000'000;
// The server reports an owner change of the shell's own within milliseconds.
constexpr std::int64_t kEchoMicroseconds = 2'000'000;
// The target-entry info of the text targets; pieces are numbered from 0.
constexpr guint kTextInfo = G_MAXUINT;

// Targets that ask the owner about the selection or to act on it, not for data.
bool metaTarget(const std::string& target) {
    static const std::set<std::string> names{"TARGETS", "MULTIPLE",         "TIMESTAMP",      "SAVE_TARGETS",
                                             "DELETE",  "INSERT_SELECTION", "INSERT_PROPERTY"};
    return names.count(target) > 0;
}

std::string atomName(GdkAtom atom) {
    gchar* name = gdk_atom_name(atom);
    std::string text = name ? name : "";
    g_free(name);
    return text;
}

std::int64_t now() {
    return g_get_monotonic_time();
}

// Runs the main loop until the answer came or the deadline passed.
bool await(const Answer& answer, std::int64_t deadline) {
    const std::int64_t left = deadline - now();
    if (answer.done || left <= 0) return answer.done;
    // Wakes the loop at the deadline should nothing else happen.
    GSource* wake = g_timeout_source_new(static_cast<guint>((left + 999) / 1000));
    g_source_set_callback(
        wake, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr, nullptr);
    g_source_attach(wake, nullptr);
    while (!answer.done && now() < deadline) g_main_context_iteration(nullptr, TRUE);
    g_source_destroy(wake);
    g_source_unref(wake);
    return answer.done;
}

AnswerRef* hold(const AnswerRef& answer) {
    return new AnswerRef(answer);
}

void received(GtkClipboard*, GtkSelectionData* data, gpointer user) {
    const std::unique_ptr<AnswerRef> held(static_cast<AnswerRef*>(user));
    Answer& answer = **held;
    answer.done = true;
    const gint length = gtk_selection_data_get_length(data);
    if (length < 0) return;  // refused, or no owner
    answer.converted = true;
    if (const guchar* bytes = gtk_selection_data_get_data(data))
        answer.bytes.assign(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
    answer.type = gtk_selection_data_get_data_type(data);
    answer.format = gtk_selection_data_get_format(data);
    GdkAtom* targets = nullptr;
    gint count = 0;
    if (gtk_selection_data_get_targets(data, &targets, &count)) {
        answer.targets.assign(targets, targets + count);
        g_free(targets);
    }
}

AnswerRef request(GtkClipboard* clipboard, GdkAtom target, std::int64_t deadline) {
    auto answer = std::make_shared<Answer>();
    gtk_clipboard_request_contents(clipboard, target, received, hold(answer));
    await(*answer, deadline);
    return answer;
}

void provide(GtkClipboard*, GtkSelectionData* data, guint info, gpointer user) {
    const ClipboardOffer& offer = **static_cast<std::shared_ptr<ClipboardOffer>*>(user);
    if (info == kTextInfo) {
        if (offer.text) gtk_selection_data_set_text(data, offer.text->data(), static_cast<gint>(offer.text->size()));
        return;
    }
    if (info >= offer.pieces.size()) return;
    const auto& piece = offer.pieces[info];
    gtk_selection_data_set(data, piece.type, piece.format, reinterpret_cast<const guchar*>(piece.bytes.data()),
                           static_cast<gint>(piece.bytes.size()));
}

void release(GtkClipboard*, gpointer user) {
    delete static_cast<std::shared_ptr<ClipboardOffer>*>(user);
}

std::size_t hashOf(const std::string& bytes) {
    return std::hash<std::string>{}(bytes);
}

}  // namespace

GtkPasteboard::GtkPasteboard() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return;
    clipboard_ = gtk_clipboard_get_for_display(display, GDK_SELECTION_CLIPBOARD);
    ownerChangeHandler_ = g_signal_connect(clipboard_, "owner-change", G_CALLBACK(onOwnerChange), this);
}

GtkPasteboard::~GtkPasteboard() {
    // What the shell offered stays GTK's, to be served until someone else
    // takes the clipboard.
    if (clipboard_ && ownerChangeHandler_) g_signal_handler_disconnect(clipboard_, ownerChangeHandler_);
}

unsigned long GtkPasteboard::ownerWindow() const {
    GdkDisplay* display = gdk_display_get_default();
    return XGetSelectionOwner(GDK_DISPLAY_XDISPLAY(display),
                              gdk_x11_get_xatom_by_name_for_display(display, "CLIPBOARD"));
}

std::vector<platform::PasteboardItem> GtkPasteboard::items() {
    if (!clipboard_) return {};
    const unsigned long owner = ownerWindow();
    if (owner == None) return {};
    const std::int64_t end = now() + kReadMicroseconds;
    const auto listed =
        request(clipboard_, gdk_atom_intern_static_string("TARGETS"), std::min(end, now() + kAnswerMicroseconds));
    platform::PasteboardItem item;
    std::set<std::string> asked;
    for (GdkAtom target : listed->targets) {
        const std::string name = atomName(target);
        if (name.empty() || metaTarget(name) || !asked.insert(name).second) continue;
        // Once the owner is gone or another has taken over, what is left
        // would not be this owner's data.
        if (now() >= end || ownerWindow() != owner) break;
        const auto answer = request(clipboard_, target, std::min(end, now() + kAnswerMicroseconds));
        if (!answer->converted) continue;
        shapes_[name] = Shape{answer->type, answer->format, answer->bytes.size(), hashOf(answer->bytes)};
        item.data.emplace_back(name, answer->bytes);
    }
    if (item.data.empty()) return {};
    return {std::move(item)};
}

std::optional<std::string> GtkPasteboard::string() {
    if (!clipboard_ || ownerWindow() == None) return std::nullopt;
    auto answer = std::make_shared<Answer>();
    gtk_clipboard_request_text(
        clipboard_,
        [](GtkClipboard*, const gchar* text, gpointer user) {
            const std::unique_ptr<AnswerRef> held(static_cast<AnswerRef*>(user));
            (*held)->done = true;
            if (text) (*held)->text = text;
        },
        hold(answer));
    await(*answer, now() + kAnswerMicroseconds);
    return answer->text;
}

void GtkPasteboard::clearContents() {
    if (!clipboard_) return;
    const unsigned long owner = ownerWindow();
    if (owner == None) return;
    // Ours: GTK lets go of it and drops the offer.
    if (owner == ownWindow_) gtk_clipboard_clear(clipboard_);
    // Somebody else's (or GTK no longer knew it had it): nobody's from now on.
    if (ownerWindow() == owner) {
        gtk_selection_owner_set_for_display(gdk_display_get_default(), nullptr, GDK_SELECTION_CLIPBOARD,
                                            GDK_CURRENT_TIME);
    }
    ++count_;
    expectEcho(false);
}

bool GtkPasteboard::setString(const std::string& text) {
    auto offer = std::make_unique<ClipboardOffer>();
    offer->text = text;
    return take(std::move(offer));
}

bool GtkPasteboard::writeItems(const std::vector<platform::PasteboardItem>& items) {
    // The X clipboard holds one item: where two items have a type, the
    // first one's data is offered.
    auto offer = std::make_unique<ClipboardOffer>();
    std::set<std::string> offered;
    for (const auto& item : items) {
        for (const auto& [target, bytes] : item.data) {
            if (target.empty() || metaTarget(target) || !offered.insert(target).second) continue;
            ClipboardOffer::Piece piece{target, bytes, gdk_atom_intern(target.c_str(), FALSE), 8};
            const auto shape = shapes_.find(target);
            if (shape != shapes_.end() && shape->second.size == bytes.size() && shape->second.hash == hashOf(bytes)) {
                piece.type = shape->second.type;
                piece.format = shape->second.format;
            }
            offer->pieces.push_back(std::move(piece));
        }
    }
    if (offer->pieces.empty()) {
        clearContents();
        return true;
    }
    return take(std::move(offer));
}

bool GtkPasteboard::take(std::unique_ptr<ClipboardOffer> offer) {
    if (!clipboard_) return false;
    GtkTargetList* list = gtk_target_list_new(nullptr, 0);
    if (offer->text) gtk_target_list_add_text_targets(list, kTextInfo);
    for (guint i = 0; i < offer->pieces.size(); ++i)
        gtk_target_list_add(list, gdk_atom_intern(offer->pieces[i].target.c_str(), FALSE), 0, i);
    gint count = 0;
    GtkTargetEntry* entries = gtk_target_table_new_from_list(list, &count);
    gtk_target_list_unref(list);

    // GTK frees the offer when the clipboard changes hands again, and on a
    // failed take only sometimes: the count of holders tells.
    const std::shared_ptr<ClipboardOffer> shared(std::move(offer));
    auto* holder = new std::shared_ptr<ClipboardOffer>(shared);
    const bool taken = count > 0 && gtk_clipboard_set_with_data(clipboard_, entries, static_cast<guint>(count), provide,
                                                                release, holder);
    gtk_target_table_free(entries, count);
    if (!taken) {
        if (shared.use_count() > 1) delete holder;
        return false;
    }
    // Kept by a clipboard manager, where one runs, after the shell quits.
    gtk_clipboard_set_can_store(clipboard_, nullptr, 0);
    ownWindow_ = ownerWindow();
    ++count_;
    expectEcho(true);
    return true;
}

void GtkPasteboard::expectEcho(bool taken) {
    if (gdk_display_supports_selection_notification(gdk_display_get_default())) echoes_.push_back({taken, now()});
}

long GtkPasteboard::changeCount() {
    return count_;
}

void GtkPasteboard::onOwnerChange(GtkClipboard*, GdkEvent* event, gpointer self) {
    auto& board = *static_cast<GtkPasteboard*>(self);
    GdkWindow* owner = event->owner_change.owner;
    const unsigned long window = owner ? GDK_WINDOW_XID(owner) : None;
    const std::int64_t at = now();
    while (!board.echoes_.empty() && at - board.echoes_.front().at > kEchoMicroseconds) board.echoes_.pop_front();
    // The shell's own change, counted when it was made.
    const bool ownTake = window != None && window == board.ownWindow_;
    if (!board.echoes_.empty() && board.echoes_.front().taken == ownTake && (ownTake || window == None)) {
        board.echoes_.pop_front();
        return;
    }
    ++board.count_;
}

}  // namespace nimbo::x11
