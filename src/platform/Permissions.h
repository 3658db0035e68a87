#pragma once
// The grants the shell needs from the desktop.

namespace nimbo::platform {

class Permissions {
public:
    virtual ~Permissions() = default;
    virtual bool screenCaptureGranted() const = 0;
    virtual bool accessibilityTrusted() const = 0;
    virtual bool listenEventGranted() const = 0;
};

}  // namespace nimbo::platform
