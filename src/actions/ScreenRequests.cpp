// A page's own requests for the screen: a capture of its display, a closer
// look at part of the last one, and where its display's camera housing is.
#include <cmath>

#include "app/AppDelegate.h"
#include "ask/Capture.h"
#include "base/Log.h"
#include "bridge/Bridge.h"
#include "bridge/Payload.h"
#include "display/Displays.h"

namespace nimbo {
namespace {

std::optional<double> numberIn(const MaybeJson& payload, const char* key) {
    return Payload::number(Payload::member(payload, key));
}

Json rectJson(const Rect& rect) {
    return {{"x", rect.minX()}, {"y", rect.minY()}, {"w", rect.size.width}, {"h", rect.size.height}};
}

}  // namespace

void AppDelegate::captureForPage(Overlay& overlay, long long id) {
    auto grabbed = grabDisplay(overlay.screen());
    auto web = std::weak_ptr<Overlay>(overlay.shared_from_this());
    if (!grabbed.shot) {
        Log::line("nimbo: capture for the page failed — " + grabbed.error.description);
        Bridge::resolve(overlay.web(), id, Json(nullptr));
        return;
    }
    const int n = ++captureCount;
    lastShot = grabbed.shot;
    encodeLater(*grabbed.shot, [shot = *grabbed.shot, n, web, id](AppDelegate& d, std::optional<std::string> url) {
        auto sender = web.lock();
        if (!sender) return;
        if (!url) {
            Bridge::resolve(sender->web(), id, Json(nullptr));
            return;
        }
        Bridge::resolve(sender->web(), id,
                        Json{{"imageDataUrl", *url}, {"bounds", rectJson(shot.bounds)}, {"capture", n}});
        d.sendElements(shot, n, web);
    });
}

// Any numbers a page sends end in a crop kept inside the picture, or in null.
void AppDelegate::zoomForPage(Overlay& overlay, const MaybeJson& payload, long long id) {
    auto answer = [&](const MaybeJson& value) { Bridge::resolve(overlay.web(), id, value); };
    if (!lastShot || !payload || !payload->is_object()) return answer(Json(nullptr));
    auto x = numberIn(payload, "x");
    auto y = numberIn(payload, "y");
    auto w = numberIn(payload, "w");
    auto h = numberIn(payload, "h");
    if (!x || !y || !w || !h) return answer(Json(nullptr));
    auto grow = numberIn(payload, "grow");

    auto web = std::weak_ptr<Overlay>(overlay.shared_from_this());
    auto back = weakly([web, id](AppDelegate&, const MaybeJson& value) {
        if (auto sender = web.lock()) Bridge::resolve(sender->web(), id, value);
    });
    platform_.queues().async(
        platform::Priority::userInitiated, [image = lastShot->image, at = Point{*x, *y}, w, h, grow, back,
                                            &images = platform_.images(), &main = platform_.main()] {
            auto region = Capture::crop(images, image, at, w, h, grow);
            MaybeJson value =
                region ? Json{{"imageDataUrl", region->dataURL}, {"rect", rectJson(region->rect)}} : Json(nullptr);
            main.post([back, value] { back(value); });
        });
}

Json AppDelegate::housingFor(Overlay& overlay) {
    auto& screens = platform_.screens();
    // A window's display is the one holding its centre.
    Rect frame = overlay.window().page().frame();
    auto screen =
        Displays::holding(screens, {frame.minX() + frame.size.width / 2, frame.minY() + frame.size.height / 2});
    if (!screen) screen = Displays::screenAt(screens, screens.mouseLocation());
    auto housing = screen ? Displays::notch(*screen) : std::nullopt;
    if (!housing) return nullptr;
    return {{"w", housing->size.width}, {"h", housing->size.height}};
}

}  // namespace nimbo
