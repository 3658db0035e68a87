#pragma once
// The simulated desktop: every facility of the platform in memory, on a virtual
// clock. The core sees it only through the same interfaces as the real backend.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/Unavailable.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimControlWindow.h"
#include "platform/sim/SimDocuments.h"
#include "platform/sim/SimImages.h"
#include "platform/sim/SimInput.h"
#include "platform/sim/SimKeyTaps.h"
#include "platform/sim/SimKeychain.h"
#include "platform/sim/SimMediaFacts.h"
#include "platform/sim/SimMouseMonitors.h"
#include "platform/sim/SimScreenCapture.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimStatusItem.h"
#include "platform/sim/SimStdio.h"
#include "platform/sim/SimTextRecognition.h"
#include "platform/sim/SimTime.h"
#include "platform/sim/SimWebView.h"
#include "platform/sim/SimWindowList.h"

namespace nimbo::sim {

class SimQueues : public platform::Queues {
public:
    explicit SimQueues(SimClock& clock) : clock_(clock) {}
    void async(platform::Priority, std::function<void()> work) override { waiting.push_back(std::move(work)); }
    // Waiting on a group runs the queued work first, as the threads would
    // meanwhile; when that does not empty the group the wait times out and
    // the clock moves on by the time waited.
    std::shared_ptr<platform::Group> group() override;
    // Runs the background work queued so far (and what it queues), in order.
    void drain();
    std::deque<std::function<void()>> waiting;
    // Background work that never gets a thread: waits run nothing and time out.
    bool stalled = false;

private:
    SimClock& clock_;
};

class SimDefaults : public platform::Defaults {
public:
    MaybeJson get(const std::string& key) const override;
    void set(const std::string& key, const Json& value) override { values[key] = value; }
    void remove(const std::string& key) override { values.erase(key); }
    std::map<std::string, Json> values;
};

class SimEnvironment : public platform::Environment {
public:
    std::optional<std::string> variable(const std::string& name) const override;
    std::map<std::string, std::string> variables;
};

class SimBundle : public platform::Bundle {
public:
    MaybeJson info(const std::string& key) const override;
    std::map<std::string, Json> values;
};

class SimPermissions : public platform::Permissions {
public:
    bool screenCaptureGranted() const override { return screen; }
    bool accessibilityTrusted() const override { return accessibility; }
    bool listenEventGranted() const override { return listen; }
    bool screen = true;
    bool accessibility = true;
    bool listen = true;
};

class SimCookies : public platform::Cookies {
public:
    void all(std::function<void(std::vector<platform::Cookie>)> done) override;
    std::vector<platform::Cookie> jar;
    // A store that never answers, as a stuck cookie save would.
    bool answers = true;

private:
    platform::MainQueue* main_ = nullptr;
    friend class SimPlatform;
};

class SimWorkspace : public platform::Workspace {
public:
    bool openURL(const std::string& url) override {
        opened.push_back(url);
        return opens;
    }
    bool openPrivacyPane(const std::string& anchor) override {
        panes.push_back(anchor);
        return true;
    }
    bool hasApplication(const std::string& bundleId) override { return installed.contains(bundleId); }
    std::optional<std::string> openInTerminal(const std::string& script) override {
        scripts.push_back(script);
        return terminalError;
    }
    std::vector<std::string> opened;
    std::vector<std::string> panes;
    // False: no handler takes an address.
    bool opens = true;
    // Bundle identifiers of the applications installed.
    std::set<std::string> installed;
    // Scripts handed to the terminal, and what it answers when asked.
    std::vector<std::string> scripts;
    std::optional<std::string> terminalError;
};

class SimProcesses : public platform::Processes {
public:
    std::optional<int> listener(int port) override {
        auto found = listeners.find(port);
        return found == listeners.end() ? std::nullopt : std::optional<int>(found->second);
    }
    std::optional<std::string> workingDirectory(int pid) override {
        auto found = directories.find(pid);
        return found == directories.end() ? std::nullopt : std::optional<std::string>(found->second);
    }
    std::map<int, int> listeners;  // port to process id
    std::map<int, std::string> directories;
};

class SimHaptics : public platform::Haptics {
public:
    bool alignmentTap() override {
        ++taps;
        return true;
    }
    int taps = 0;
};

class SimPlatform : public platform::Platform {
public:
    SimPlatform();
    ~SimPlatform() override;
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    platform::Clock& clock() override { return clockImpl; }
    platform::MainQueue& main() override { return mainQueue; }
    platform::Queues& queues() override { return background; }
    platform::Defaults& defaults() override { return defaultsStore; }
    platform::Environment& environment() override { return env; }
    platform::Bundle& bundle() override { return bundleInfo; }
    platform::Stdio& stdio() override { return output; }
    platform::Application& application() override { return app; }
    platform::Windows& windows() override { return pageWindows; }
    platform::Permissions& permissions() override { return grants; }
    platform::Cookies& cookies() override { return cookieStore; }
    platform::Screens& screens() override { return displays; }
    platform::KeyTaps& keyTaps() override { return keys; }
    platform::MouseMonitors& mouseMonitors() override { return mice; }
    platform::ScreenCapture& screenCapture() override { return capturer; }
    platform::Images& images() override { return pictures; }
    platform::WindowList& windowList() override { return stacking; }
    platform::Accessibility& accessibility() override { return ax; }
    platform::TextRecognition& textRecognition() override { return ocr; }
    platform::Keychain& keychain() override { return secrets; }
    platform::StatusItem& statusItem() override { return tray; }
    platform::MenuBar& menuBar() override { return mainMenu; }
    platform::ControlWindows& controlWindows() override { return controlWindowMaker; }
    platform::Workspace& workspace() override { return desktop; }
    platform::SyntheticInput& syntheticInput() override { return input; }
    platform::Pasteboard& pasteboard() override { return clipboard; }
    platform::RunningApps& runningApps() override { return apps; }
    platform::Haptics& haptics() override { return feel; }
    platform::Documents& documents() override { return files; }
    platform::MediaFacts& mediaFacts() override { return media; }
    platform::Processes& processes() override { return procs; }

    // Moves virtual time forward, running main-queue work at its due times.
    void advance(double seconds) { mainQueue.advance(seconds); }
    void runUntilIdle() { mainQueue.runUntilIdle(); }
    double now() const { return clockImpl.now(); }

    SimClock clockImpl;
    SimMainQueue mainQueue{clockImpl};
    SimQueues background{clockImpl};
    SimDefaults defaultsStore;
    SimEnvironment env;
    SimBundle bundleInfo;
    SimStdio output;
    SimApplication app{mainQueue};
    SimWindows pageWindows;
    SimPermissions grants;
    SimCookies cookieStore;
    SimScreens displays;
    SimKeyTaps keys{mainQueue};
    SimMouseMonitors mice;
    SimScreenCapture capturer;
    SimImages pictures;
    SimWindowList stacking;
    SimAccessibility ax{clockImpl};
    SimTextRecognition ocr;
    SimKeychain secrets;
    SimStatusItem tray;
    SimMenuBar mainMenu;
    SimControlWindows controlWindowMaker{pageWindows};
    SimWorkspace desktop;
    SimSyntheticInput input;
    SimPasteboard clipboard;
    SimRunningApps apps{app};
    SimHaptics feel;
    SimDocuments files;
    SimMediaFacts media;
    SimProcesses procs;
};

}  // namespace nimbo::sim
