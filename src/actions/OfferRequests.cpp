#include "actions/Actions.h"
#include "app/AppDelegate.h"

namespace nimbo {

void AppDelegate::offerRequest(Overlay& overlay, const BridgeMessage& message) {
    if (message.kind == "invoke" && message.id) Bridge::resolve(overlay.web(), *message.id, Json(nullptr));
}

void AppDelegate::offerDone(const Json&, const std::shared_ptr<Overlay>&) {}

}  // namespace nimbo
