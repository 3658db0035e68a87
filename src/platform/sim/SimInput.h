#pragma once
// Simulated synthetic input, clipboard and running applications: each records
// what the shell did so a test can count every act it made on the desktop.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Pasteboard.h"
#include "platform/RunningApps.h"
#include "platform/SyntheticInput.h"
#include "platform/sim/SimApplication.h"

namespace nimbo::sim {

class SimSyntheticInput : public platform::SyntheticInput {
public:
    struct Key {
        int keyCode = 0;
        std::uint64_t flags = 0;
        std::int64_t marker = 0;
    };
    void click(Point point) override { clicks.push_back(point); }
    std::optional<Point> pointer() override { return at; }
    void warp(Point point) override {
        warps.push_back(point);
        if (at) at = point;
    }
    void key(int keyCode, std::uint64_t flags, std::int64_t marker) override {
        keys.push_back({keyCode, flags, marker});
    }
    void paste(std::int64_t marker) override {
        pastes.push_back(marker);
        if (onPaste) onPaste();
    }

    std::vector<Point> clicks;
    std::vector<Point> warps;
    std::vector<Key> keys;
    std::vector<std::int64_t> pastes;
    std::optional<Point> at = Point{0, 0};
    // What the focused application does with a paste.
    std::function<void()> onPaste;
};

class SimPasteboard : public platform::Pasteboard {
public:
    std::vector<platform::PasteboardItem> items() override { return contents; }
    std::optional<std::string> string() override;
    void clearContents() override {
        contents.clear();
        ++count;
        ++writes;
    }
    bool setString(const std::string& text) override;
    bool writeItems(const std::vector<platform::PasteboardItem>& items) override;
    long changeCount() override { return count; }

    std::vector<platform::PasteboardItem> contents;
    long count = 0;
    // Every change the shell made.
    int writes = 0;
    // False: another program holds on to the clipboard and text can't be put on it.
    bool takes = true;
};

class SimRunningApps : public platform::RunningApps {
public:
    explicit SimRunningApps(SimApplication& app) : app_(app) {}
    std::optional<platform::RunningApp> running(int pid) override;
    bool isActive(int pid) override { return app_.front && app_.front->pid == pid; }
    bool activate(int pid) override;

    std::map<int, std::string> names;
    std::vector<int> activated;

private:
    SimApplication& app_;
};

}  // namespace nimbo::sim
