// Origins written as a browser writes `location.origin`, since the shell
// compares its own with the ones pages report.
#include <gtest/gtest.h>

#include "base/WebOrigin.h"

namespace nimbo {
namespace {

TEST(WebOrigin, MatchesWhatABrowserReports) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://127.0.0.1:3005/spatial/overlay?display=1", "http://127.0.0.1:3005"},
        {"HTTP://Nimbo.Example:80/a", "http://nimbo.example"},
        {"https://nimbo.example:443/", "https://nimbo.example"},
        {"https://nimbo.example:80/", "https://nimbo.example:80"},
        {"http://nimbo.example:443/", "http://nimbo.example:443"},
        {"about:blank", "null"},
        {"file:///etc/passwd", "null"},
        {"data:text/html,hi", "null"},
        {"not an address", "null"},
    };
    for (const auto& [address, origin] : cases) EXPECT_EQ(webOrigin(address), origin) << address;
}

}  // namespace
}  // namespace nimbo
