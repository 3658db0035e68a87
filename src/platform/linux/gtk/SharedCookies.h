#pragma once
#include "platform/Cookies.h"

namespace nimbo::x11 {

// The cookie store of WebKit's default context, which every page window shares.
class SharedCookies final : public platform::Cookies {
public:
    void all(std::function<void(std::vector<platform::Cookie>)> done) override;
};

}  // namespace nimbo::x11
