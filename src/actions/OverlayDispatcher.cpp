#include "app/AppDelegate.h"
#include "bridge/Bridge.h"

namespace nimbo {

// The overlay and caption pages' requests. A channel this shell doesn't handle
// is ignored, and an invoke on one is answered null so no page promise hangs.
void AppDelegate::handle(Overlay& overlay, const BridgeMessage& message) {
    if (message.kind == "invoke" && message.id) Bridge::resolve(overlay.web(), *message.id, Json(nullptr));
}

}  // namespace nimbo
