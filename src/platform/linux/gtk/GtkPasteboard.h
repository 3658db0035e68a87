#pragma once
// The CLIPBOARD selection through GTK: every target the owner offers read as
// one item, every saved target offered back with the very bytes it had.
//
// A read waits for the owner on the main loop, as GTK's own waits do (other
// events are handled meanwhile), but for a bounded time: an owner that hangs
// or quits in the middle costs at most that, and the targets read before it
// stay. GTK gives up on an unanswered request only after half a minute; its
// late answer then lands in a request record of its own and is dropped.
#include <gtk/gtk.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/Pasteboard.h"

namespace nimbo::x11 {

// What the shell puts on the clipboard: the targets and their bytes.
struct ClipboardOffer;

class GtkPasteboard final : public platform::Pasteboard {
public:
    GtkPasteboard();
    ~GtkPasteboard() override;
    GtkPasteboard(const GtkPasteboard&) = delete;
    GtkPasteboard& operator=(const GtkPasteboard&) = delete;

    std::vector<platform::PasteboardItem> items() override;
    std::optional<std::string> string() override;
    void clearContents() override;
    bool setString(const std::string& text) override;
    bool writeItems(const std::vector<platform::PasteboardItem>& items) override;
    // Owner changes seen through XFixes, and the shell's own at once.
    long changeCount() override;

private:
    // How a target's bytes came: the selection type and the item size. An
    // owner may answer TEXT with COMPOUND_TEXT, so the target alone doesn't say.
    struct Shape {
        GdkAtom type = GDK_NONE;
        int format = 8;
        std::size_t size = 0;
        std::size_t hash = 0;
    };
    // An owner change of the shell's own, still to come back from the server.
    struct Echo {
        bool taken = false;  // the shell took the clipboard (else it let it go)
        std::int64_t at = 0;
    };

    bool take(std::unique_ptr<ClipboardOffer> offer);
    void expectEcho(bool taken);
    unsigned long ownerWindow() const;
    static void onOwnerChange(GtkClipboard* clipboard, GdkEvent* event, gpointer self);

    GtkClipboard* clipboard_ = nullptr;
    gulong ownerChangeHandler_ = 0;
    long count_ = 0;
    std::deque<Echo> echoes_;
    // The X window GTK owns the clipboard with, once it has.
    unsigned long ownWindow_ = 0;
    // What the last read saw of each target.
    std::map<std::string, Shape> shapes_;
};

}  // namespace nimbo::x11
