#pragma once
// The cookie store shared by every page the shell shows.
#include <functional>
#include <string>
#include <vector>

namespace nimbo::platform {

struct Cookie {
    std::string name;
    std::string value;
    std::string domain;
    std::string path;
    double expires = 0;  // seconds since 1970; 0 for a session cookie
    bool secure = false;
    bool httpOnly = false;
};

class Cookies {
public:
    virtual ~Cookies() = default;
    // Every cookie in the store; `done` runs on the main queue.
    virtual void all(std::function<void(std::vector<Cookie>)> done) = 0;
};

}  // namespace nimbo::platform
