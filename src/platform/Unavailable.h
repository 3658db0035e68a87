#pragma once
// Facilities a desktop does not offer (yet): each answers as a refused or
// failed request would, so the core's own failure paths take over.
#include "platform/Accessibility.h"
#include "platform/ControlWindow.h"
#include "platform/Haptics.h"
#include "platform/Images.h"
#include "platform/Keychain.h"
#include "platform/MouseMonitors.h"
#include "platform/ScreenCapture.h"
#include "platform/StatusItem.h"
#include "platform/TextRecognition.h"
#include "platform/WindowList.h"
#include "platform/Workspace.h"

namespace nimbo::platform {

class UnavailableScreenCapture : public ScreenCapture {
public:
    std::optional<std::vector<ShareableDisplay>> shareableDisplays() override { return std::nullopt; }
    Grab capture(long long, int, int, std::optional<long>, bool) override { return {std::nullopt, "not available"}; }
};

class UnavailableImages : public Images {
public:
    std::optional<Image> scaled(const Image&, int, int) override { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> jpeg(const Image&, double) override { return std::nullopt; }
    std::optional<std::vector<std::uint8_t>> linearGrey(const Image&, int, int) override { return std::nullopt; }
};

class UnavailableWindowList : public WindowList {
public:
    std::optional<std::vector<WindowInfo>> onScreen() override { return std::nullopt; }
};

class UnavailableAccessibility : public Accessibility {
public:
    AXRef application(int) override { return nullptr; }
    void setMessagingTimeout(const AXRef&, double) override {}
    std::optional<std::vector<AXValue>> copyMultiple(const AXRef&, const std::vector<std::string>&) override {
        return std::nullopt;
    }
    std::optional<AXValue> copy(const AXRef&, const std::string&) override { return std::nullopt; }
    AXRef elementAtPosition(const AXRef&, Point) override { return nullptr; }
    std::optional<int> pid(const AXRef&) override { return std::nullopt; }
};

class UnavailableTextRecognition : public TextRecognition {
public:
    std::optional<std::vector<RecognisedText>> recognise(const Image&) override { return std::nullopt; }
};

class UnavailableMouseMonitors : public MouseMonitors {
public:
    WorkHandle addGlobalMouseDownMonitor(std::function<void()>) override { return nullptr; }
    WorkHandle addLocalMouseDownMonitor(std::function<void(const std::shared_ptr<PageWindow>&)>) override {
        return nullptr;
    }
};

class UnavailableKeychain : public Keychain {
public:
    KeychainRead copy(const KeychainItem&) override { return {KeychainStatus::notAvailable}; }
    int add(const KeychainItem&, const std::string&) override { return KeychainStatus::notAvailable; }
    int update(const KeychainItem&, const std::string&) override { return KeychainStatus::notAvailable; }
    int remove(const KeychainItem&) override { return KeychainStatus::notAvailable; }
};

class UnavailableStatusItem : public StatusItem {
public:
    bool setImage(const std::string&, const std::string&) override { return false; }
    void setSymbol(const std::string&, const std::string&) override {}
    void setTitle(const std::string&, bool) override {}
    void setToolTip(const std::optional<std::string>&) override {}
    void setMenu(const std::vector<MenuItem>&) override {}
    void setSharingType(SharingType) override {}
};

class UnavailableMenuBar : public MenuBar {
public:
    void install(const std::vector<MenuItem>&) override {}
};

class UnavailableControlWindows : public ControlWindows {
public:
    std::shared_ptr<ControlWindow> make(const ControlWindowOptions&) override { return nullptr; }
};

class UnavailableHaptics : public Haptics {
public:
    bool alignmentTap() override { return false; }
};

class UnavailableWorkspace : public Workspace {
public:
    bool openURL(const std::string&) override { return false; }
    bool openPrivacyPane(const std::string&) override { return false; }
};

}  // namespace nimbo::platform
