// Feeds arbitrary page messages through the overlay's receipt path: whatever a
// page posts, the shell must not crash, must answer an invoke at most once and
// only with the id it was given, and must encode any value as valid JSON.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/AppDelegate.h"
#include "bridge/Bridge.h"
#include "platform/sim/SimPlatform.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using nimbo::Json;
    if (size == 0) return 0;
    const bool fromMainFrame = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    Json parsed = Json::parse(text, nullptr, /*allow_exceptions=*/false);
    nimbo::MaybeJson body;
    if (!parsed.is_discarded()) {
        body = parsed;
    } else if ((data[0] & 2) != 0) {
        body = Json(text);  // not JSON: post it as a bare text (may be bad UTF-8)
    }

    nimbo::sim::SimPlatform sim;
    auto delegate = std::make_shared<nimbo::AppDelegate>(sim);
    nimbo::platform::Screen screen;
    screen.frame = {{0, 0}, {1512, 982}};
    sim.displays.list = {screen};
    auto overlay = nimbo::Overlay::make(
        sim, screen, "http://127.0.0.1:3005/spatial/overlay", std::nullopt,
        [&](nimbo::Overlay& from, const nimbo::BridgeMessage& message) { delegate->handle(from, message); });
    auto& made = static_cast<nimbo::sim::SimPageWindow&>(overlay->window().page());

    made.webView.postMessage(body, fromMainFrame);
    auto answers = made.webView.resolved();
    check(answers.size() <= 1);
    if (!answers.empty()) {
        check(fromMainFrame && body && body->is_object());
        // Only the frame question has an answer other than null.
        check(answers[0].second.is_null() || body->value("channel", "") == "nimbo:frame-now");
    }
    check(made.webView.emitted().empty());

    // Whatever the value, its encoding parses back.
    std::string encoded = nimbo::Bridge::encode(body);
    check(!Json::parse(encoded, nullptr, false).is_discarded());
    return 0;
}
