#pragma once
// The shell's item in the desktop's panel: a StatusNotifierItem through
// libayatana-appindicator, its menu a GTK menu the library exports over D-Bus
// (com.canonical.dbusmenu) for the panel to draw. Where no
// StatusNotifierWatcher is on the session bus, the library falls back to an
// XEmbed tray icon (GtkStatusIcon) with the same menu.
//
// The item comes onto the bus with the first request, not with the backend,
// so programs that never show one (the tests) never register one.
#include <libayatana-appindicator/app-indicator.h>

#include "platform/StatusItem.h"
#include "platform/linux/gtk/MenuWidgets.h"

namespace nimbo::x11 {

class PanelStatusItem final : public platform::StatusItem {
public:
    // `standard` carries out the standard actions the menu may hold.
    explicit PanelStatusItem(StandardActions standard) : standard_(std::move(standard)) {}
    ~PanelStatusItem() override;
    PanelStatusItem(const PanelStatusItem&) = delete;
    PanelStatusItem& operator=(const PanelStatusItem&) = delete;

    // The shell ships no images of its own here; the core falls back to a symbol.
    bool setImage(const std::string&, const std::string&) override { return false; }
    // The desktop's symbolic icon for the shell's symbol names (a stock one for any).
    void setSymbol(const std::string& name, const std::string& accessibilityDescription) override;
    // The panel draws a label beside the icon, in its own colours.
    void setTitle(const std::string& title, bool alert) override;
    // Shown as the item's title, which panels show when it is pointed at.
    void setToolTip(const std::optional<std::string>& toolTip) override;
    void setMenu(const std::vector<platform::MenuItem>& items) override;
    // Panels draw the item; there is no window of the shell's to mark.
    void setSharingType(platform::SharingType type) override { sharing_ = type; }

    static constexpr const char* kId = "nimbo";

private:
    AppIndicator* indicator();

    StandardActions standard_;
    AppIndicator* indicator_ = nullptr;
    GtkWidget* menu_ = nullptr;
    std::string description_ = "nimbo";
    platform::SharingType sharing_ = platform::SharingType::none;
};

}  // namespace nimbo::x11
