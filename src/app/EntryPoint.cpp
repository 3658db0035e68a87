#include "app/EntryPoint.h"

#include <memory>

#include "app/AppDelegate.h"
#include "base/Log.h"
#include "app/LogFile.h"

namespace nimbo {

int runShell(platform::Platform& platform) {
    Log::attach(&platform.stdio());
    LogFile::redirectIfLaunchedByDesktop(platform.stdio(), platform.environment());
    LogFile::keepLog(platform.stdio(), platform.clock());

    auto delegate = std::make_shared<AppDelegate>(platform);
    auto& app = platform.application();
    app.setDelegate(delegate.get());
    int code = app.run();
    app.setDelegate(nullptr);
    return code;
}

}  // namespace nimbo
