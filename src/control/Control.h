#pragma once
// The control center window (settings).
#include <memory>
#include <string>

#include "platform/Windows.h"

namespace nimbo {

class Control {
public:
    Control(std::shared_ptr<platform::PageWindow> window, std::string origin)
        : window_(std::move(window)), origin_(std::move(origin)) {}

    platform::PageWindow& window() { return *window_; }
    platform::WebView& web() { return window_->web(); }

    // Navigates the page to a path of the origin ("/control#you").
    void go(const std::string& path) { web().load(origin_ + path, 60.0); }

private:
    std::shared_ptr<platform::PageWindow> window_;
    std::string origin_;
};

}  // namespace nimbo
