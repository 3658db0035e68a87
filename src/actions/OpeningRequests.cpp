// What an overlay page opens in the control center. A page may only send the
// control center to the server's own learning, board and agent pages, by a
// path of plain characters, so it can't steer it anywhere else.
#include <regex>

#include "app/AppDelegate.h"
#include "bridge/Payload.h"

namespace nimbo {
namespace {

// Bytes, which are characters for every path the patterns let through.
constexpr std::size_t kLongestPath = 599;

bool opensInControl(const std::string& channel, const std::string& path) {
    static const std::regex learn("^/learn[A-Za-z0-9_/?=&%.,+-]*$");
    static const std::regex ours("^/(learn|board|boards|agents)([/?][A-Za-z0-9_/?=&%.,+-]*)?$");
    if (path.size() > kLongestPath) return false;
    if (channel == "nimbo:open-learn") return path.starts_with("/learn") && std::regex_match(path, learn);
    return std::regex_match(path, ours);
}

}  // namespace

void AppDelegate::openingRequest(Overlay& /*overlay*/, const BridgeMessage& message) {
    const auto& channel = message.channel;
    const auto& payload = message.payload;

    if (channel == "nimbo:type-instead") {
        // A control center that has yet to load asks for the request itself once it has.
        if (!control) {
            pendingTypeAsk = true;
            return openControl();
        }
        control->emit("nimbo:type-ask", std::nullopt);
        control->show();
    } else if (channel == "nimbo:open-board") {
        if (!Payload::text(Payload::member(payload, "text"))) return;
        if (!control) {
            pendingBoard = payload;
            return openControl();
        }
        control->emit("nimbo:teach", payload);
        control->show();
    } else {
        auto path = Payload::text(payload);
        if (!path || !opensInControl(channel, *path)) return;
        openControl();
        if (control) control->go("/control#" + *path);
    }
}

}  // namespace nimbo
