#include "actions/Typing.h"
#include "app/AppDelegate.h"

namespace nimbo {

void AppDelegate::typingRequest(Overlay& overlay, const BridgeMessage& message) {
    if (message.kind == "invoke" && message.id) Bridge::resolve(overlay.web(), *message.id, Json(nullptr));
}

bool AppDelegate::typingGesture(bool) { return false; }

}  // namespace nimbo
