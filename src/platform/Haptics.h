#pragma once
// Haptic feedback: a tap the user feels on a trackpad that can give one.
namespace nimbo::platform {

class Haptics {
public:
    virtual ~Haptics() = default;
    // One "alignment" tap, performed now; false where no haptic device answers.
    virtual bool alignmentTap() = 0;
};

}  // namespace nimbo::platform
