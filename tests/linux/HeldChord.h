#pragma once
// A hotkey listening on the real desktop, the keyboard a user holds the
// chord on, and what the hotkey told, in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "TestKeyboard.h"
#include "ask/Hotkey.h"

namespace nimbo::test {

class HeldChord : public ::testing::Test {
protected:
    void SetUp() override {
        hotkey_.onPress = [this] { heard_.push_back("press"); };
        hotkey_.onRelease = [this](double held, double began, bool steered) {
            heard_.push_back(steered ? "release steered" : "release");
            held_ = held;
            began_ = began;
        };
        hotkey_.onCancel = [this] { heard_.push_back("cancel"); };
        hotkey_.onSteer = [this](int step) { heard_.push_back("steer " + std::to_string(step)); };
        hotkey_.onDeaf = [this] { heard_.push_back("deaf"); };
        ASSERT_TRUE(hotkey_.start());
    }

    // Waits until `count` callbacks have come, then a little longer so that
    // one too many would show as well.
    std::vector<std::string> heard(std::size_t count) {
        waitUntil([&] { return heard_.size() >= count; });
        runFor(0.15);
        return heard_;
    }

    TestKeyboard keyboard_;
    Hotkey hotkey_{desktop()};
    std::vector<std::string> heard_;
    double held_ = -1, began_ = -1;
};

}  // namespace nimbo::test
