#include "app/EntryPoint.h"

#include <memory>

#include "app/AppDelegate.h"
#include "app/LogFile.h"
#include "base/Log.h"

namespace nimbo {

int runShell(platform::Platform& platform) {
    auto& app = platform.application();
    // A shell already running in this session takes the launch over. Asked before
    // anything else, so this launch leaves its log and its stored origin untouched.
    if (app.handOverToRunningInstance()) return 0;

    Log::attach(&platform.stdio());
    LogFile::redirectIfLaunchedByDesktop(platform.stdio(), platform.environment());
    LogFile::keepLog(platform.stdio(), platform.clock());

    auto delegate = std::make_shared<AppDelegate>(platform);
    app.setDelegate(delegate.get());
    int code = app.run();
    app.setDelegate(nullptr);
    LogFile::stopKeeping();
    return code;
}

}  // namespace nimbo
