#include "display/Overlay.h"

#include "bridge/Bridge.h"

namespace nimbo {

Overlay::Overlay(platform::Platform& /*platform*/, std::shared_ptr<platform::PageWindow> window)
    : window_(std::move(window)) {}

void Overlay::listen(MessageHandler onMessage) {
    Bridge::install(web(), [weak = weak_from_this(), onMessage = std::move(onMessage)](const BridgeMessage& message) {
        if (auto self = weak.lock()) onMessage(*self, message);
    });
}

void Overlay::emit(const std::string& channel, const MaybeJson& payload) {
    Bridge::emit(web(), channel, payload);
}

void Overlay::setInteractive(bool solid) {
    window_->setIgnoresMouse(!solid);
    if (!solid) handBackKeyboard();
}

void Overlay::handBackKeyboard() {
    if (window_->isKey()) window_->resignKey();
}

bool Overlay::keepPlaced(const std::string& /*reason*/) {
    return false;
}

void Overlay::tearDown() {
    window_->close();
}

}  // namespace nimbo
