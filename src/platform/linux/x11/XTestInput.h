#pragma once
// Clicks, pointer moves and key presses of the shell's own, through XTest.
#include "platform/SyntheticInput.h"

namespace nimbo::x11 {

class XTestInput final : public platform::SyntheticInput {
public:
    void click(Point point) override;
    std::optional<Point> pointer() override;
    void warp(Point point) override;
    void key(int keyCode, std::uint64_t flags, std::int64_t marker) override;
    void paste(std::int64_t marker) override;
};

}  // namespace nimbo::x11
