#include "platform/sim/SimControlWindow.h"

namespace nimbo::sim {

using platform::FullScreenChange;

SimControlWindow::SimControlWindow(const platform::ControlWindowOptions& made, SimWindows& windows) : options(made) {
    platform::PageWindowOptions page;
    page.frame = Rect{{0, 0}, made.contentSize};
    page.title = made.title;
    window = std::make_shared<SimPageWindow>(page, windows, windows.takeNumber());
}

void SimControlWindow::toggleFullScreen() {
    ++toggles;
    if (transition) return;
    transition = !fullScreen;
    notify(*transition ? FullScreenChange::willEnter : FullScreenChange::willExit);
}

void SimControlWindow::finishFullScreen(bool fails) {
    if (!transition) return;
    bool entering = *transition;
    transition.reset();
    if (fails) return notify(entering ? FullScreenChange::didFailToEnter : FullScreenChange::didFailToExit);
    fullScreen = entering;
    notify(entering ? FullScreenChange::didEnter : FullScreenChange::didExit);
}

bool SimControlWindow::userCloses() {
    if (shouldClose_ && !shouldClose_()) return false;
    window->orderOut();
    return true;
}

void SimControlWindow::runAlert(const std::string& message, std::function<void()> done) {
    dialogs.push_back("alert: " + message);
    answerAlert = std::move(done);
}

void SimControlWindow::runConfirm(const std::string& message, std::function<void(bool)> done) {
    dialogs.push_back("confirm: " + message);
    answerConfirm = std::move(done);
}

void SimControlWindow::runOpenPanel(const platform::FileChooserRequest& request,
                                    std::function<void(std::vector<std::string>)> done) {
    std::string kind = "files:";
    if (request.allowsMultipleSelection) kind += " multiple";
    if (request.allowsDirectories) kind += " directories";
    dialogs.push_back(kind);
    answerOpenPanel = std::move(done);
}

std::shared_ptr<platform::ControlWindow> SimControlWindows::make(const platform::ControlWindowOptions& options) {
    auto window = std::make_shared<SimControlWindow>(options, windows_);
    made.push_back(window);
    return window;
}

}  // namespace nimbo::sim
