#pragma once
// The application object: its main loop, the quit handshake and the
// notifications the shell observes.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/MainQueue.h"
#include "platform/Windows.h"

namespace nimbo::platform {

enum class TerminateReply { now, cancel, later };

// Event types as the event tap numbers them.
enum class KeyEventType { keyDown = 10, keyUp = 11 };

struct KeyEvent {
    KeyEventType type = KeyEventType::keyDown;
    int keyCode = 0;
    // The shell's window the event was sent to, if any.
    std::shared_ptr<PageWindow> window;
};

struct RunningApp {
    int pid = 0;
    std::string name;
};

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() = 0;
    virtual TerminateReply applicationShouldTerminate() = 0;
    virtual void applicationWillTerminate() = 0;
    virtual bool applicationShouldHandleReopen(bool hasVisibleWindows) = 0;
};

class Application {
public:
    virtual ~Application() = default;
    virtual void setDelegate(ApplicationDelegate* delegate) = 0;
    // An ordinary application: a taskbar entry and a main menu.
    virtual void setActivationPolicyRegular() = 0;
    // Whether another instance of the shell runs in this session; if so it has
    // been asked to reopen, and this launch should end without starting.
    virtual bool handOverToRunningInstance() = 0;
    // Runs the main loop; calls applicationDidFinishLaunching once it is up and
    // returns after a quit the delegate allowed.
    virtual int run() = 0;
    // Asks the delegate whether to quit, as the quit item or a termination signal does.
    virtual void requestTerminate() = 0;
    // The answer to an applicationShouldTerminate that replied `later`.
    virtual void replyToApplicationShouldTerminate(bool terminate) = 0;
    virtual std::shared_ptr<PageWindow> keyWindow() const = 0;
    // Key events delivered to this application; the handler answers true to swallow one.
    virtual WorkHandle addLocalKeyMonitor(std::function<bool(const KeyEvent&)> handler) = 0;
    // The front application changed; absent when it can't be told which.
    virtual WorkHandle observeFrontApplication(std::function<void(const std::optional<RunningApp>&)> handler) = 0;
    // The application in front now; absent when it can't be told.
    virtual std::optional<RunningApp> frontApplication() const = 0;
    // Displays were added, removed, moved or rescaled.
    virtual WorkHandle observeScreenParameters(std::function<void()> handler) = 0;
    virtual int processId() const = 0;
};

}  // namespace nimbo::platform
