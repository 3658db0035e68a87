// The nimbo program: the X11 desktop behind the seam, then the shell itself.
#include "app/EntryPoint.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/system/TerminationSignals.h"

int main(int argc, char** argv) {
    // Before anything that takes time: a quit asked for during start-up waits for the loop.
    nimbo::x11::holdTerminationSignals();
    auto platform = nimbo::x11::makePlatform(argc, argv);
    return nimbo::runShell(*platform);
}
