// The desktop tests share one backend per process, as the program does.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "Desktop.h"
#include "platform/linux/LinuxPlatform.h"

namespace nimbo::test {
namespace {
std::unique_ptr<platform::Platform> theDesktop;
}
platform::Platform& desktop() {
    return *theDesktop;
}
}  // namespace nimbo::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Keep WebKit's caches and data, and anything else that follows the XDG
    // folders, out of the user's home.
    nimbo::test::TempDir base;
    for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME"})
        setenv(name, (base.path() + "/" + name).c_str(), 1);
    nimbo::test::theDesktop = nimbo::x11::makePlatform(argc, argv);
    const int status = RUN_ALL_TESTS();
    nimbo::test::theDesktop.reset();
    return status;
}
