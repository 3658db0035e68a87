#include "platform/sim/SimWebView.h"

#include <algorithm>

#include "base/WebOrigin.h"

namespace nimbo::sim {

void SimWebView::callAsync(const std::string& body, const Json& arguments,
                           std::function<void(const platform::ScriptResult&)> done) {
    calls.push_back({body, arguments});
    if (done) done(platform::ScriptResult{});
}

void SimWebView::load(const std::string& url, double timeoutSeconds) {
    url_ = url;
    ++documents_;
    loads.emplace_back(url, timeoutSeconds);
}

void SimWebView::fail(long code, const std::string& description, const std::string& failingUrl) {
    if (events.failed) events.failed(platform::NavigationError{"NSURLErrorDomain", code, description, failingUrl});
}

void SimWebView::postMessage(const MaybeJson& body, bool fromMainFrame, const std::string& name) {
    auto handler = handlers.find(name);
    if (handler == handlers.end()) return;
    handler->second(platform::ScriptMessage{body, fromMainFrame, webOrigin(url_), std::to_string(documents_)});
}

// Reads the events back the way the page script would: the JSON text argument parsed.
std::vector<std::pair<std::string, Json>> SimWebView::emitted() const {
    std::vector<std::pair<std::string, Json>> out;
    for (const auto& call : calls) {
        if (call.body.find("__nimboEmit") == std::string::npos) continue;
        out.emplace_back(call.arguments.at("channel").get<std::string>(),
                         Json::parse(call.arguments.at("json").get<std::string>()));
    }
    return out;
}

std::vector<std::pair<long long, Json>> SimWebView::resolved() const {
    std::vector<std::pair<long long, Json>> out;
    for (const auto& call : calls) {
        if (call.body.find("__nimboResolve") == std::string::npos) continue;
        out.emplace_back(call.arguments.at("id").get<long long>(),
                         Json::parse(call.arguments.at("json").get<std::string>()));
    }
    return out;
}

}  // namespace nimbo::sim

namespace nimbo::sim {

SimPageWindow::SimPageWindow(const platform::PageWindowOptions& made, SimWindows& windows, long number)
    : options(made),
      windows_(windows),
      number_(number),
      frame_(windows.place ? windows.place(made.frame) : made.frame) {}

void SimPageWindow::setFrame(const Rect& frame) {
    frame_ = windows_.place ? windows_.place(frame) : frame;
}

void SimPageWindow::orderFront() {
    orderOut();
    windows_.order.insert(windows_.order.begin(), number_);
    visible = true;
}

void SimPageWindow::orderOut() {
    std::erase(windows_.order, number_);
    visible = false;
}

void SimPageWindow::orderBelow(long number) {
    orderOut();
    auto above = std::find(windows_.order.begin(), windows_.order.end(), number);
    windows_.order.insert(above == windows_.order.end() ? above : above + 1, number_);
    visible = true;
}

void SimPageWindow::close() {
    orderOut();
    closed = true;
    key = false;
}

bool SimPageWindow::click(Point point) {
    if (ignoresMouse_ || !visible) return false;
    if (mouseDown_) mouseDown_(point);
    return true;
}

}  // namespace nimbo::sim
