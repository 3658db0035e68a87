#pragma once
// The shell's item in the desktop's panel: a StatusNotifierItem through
// libayatana-appindicator, whose menu is a GTK menu the library exports over
// D-Bus (com.canonical.dbusmenu) for the panel to draw. Where no
// StatusNotifierWatcher is on the session bus the library falls back to an
// XEmbed tray icon (a GtkStatusIcon) showing the same menu.
#include <functional>
#include <string>
#include <vector>

typedef struct _AppIndicator AppIndicator;
typedef struct _GtkWidget GtkWidget;

namespace nimbo::x11 {

struct TrayMenuEntry {
    std::string title;  // empty: a separator
    bool enabled = true;
    // Shown with a check mark when set; `checked` tells whether it is on.
    bool checkable = false;
    bool checked = false;
    std::string toolTip{};
    std::function<void()> action{};
    std::vector<TrayMenuEntry> submenu{};
};

class StatusIndicator {
public:
    // `id` names the item on the bus (/org/ayatana/NotificationItem/ID).
    StatusIndicator(const std::string& id, const std::string& accessibleName);
    ~StatusIndicator();
    StatusIndicator(const StatusIndicator&) = delete;
    StatusIndicator& operator=(const StatusIndicator&) = delete;

    // Replaces the whole menu.
    void setMenu(const std::vector<TrayMenuEntry>& entries);
    // A short text beside the icon (empty for none) and what the item is
    // called when pointed at.
    void setLabel(const std::string& label);
    void setTitle(const std::string& title);

private:
    AppIndicator* indicator_ = nullptr;
    GtkWidget* menu_ = nullptr;
};

}  // namespace nimbo::x11
