#include "app/AppDelegate.h"
#include "base/Url.h"
#include "control/Visibility.h"

namespace nimbo {

void AppDelegate::openControl() {
    if (!control) {
        std::string home = origin + "/control";
        if (!Url::parse(home)) return;
        control =
            Control::make(platform_, home, [weak = weak_from_this()](Control& from, const BridgeMessage& message) {
                if (auto self = weak.lock()) self->handleControl(message, from);
            });
        if (!control) return;
    }
    control->show();
}

void AppDelegate::showSettings() {
    openControl();
    if (control) control->go("/control#you");
}

void AppDelegate::applyVisibility() {
    auto type = Visibility::sharingType(platform_);
    // The notch island's window arrives with the island.
    for (const auto& overlay : overlays) overlay->window().page().setSharingType(type);
    if (caption) caption->window().page().setSharingType(type);
    if (control) control->window().setSharingType(type);
    platform_.statusItem().setSharingType(type);
}

}  // namespace nimbo
