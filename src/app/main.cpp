// The nimbo program: the X11 desktop behind the seam, then the shell itself.
#include "app/EntryPoint.h"
#include "platform/linux/LinuxPlatform.h"

int main(int argc, char** argv) {
    auto platform = nimbo::x11::makePlatform(argc, argv);
    return nimbo::runShell(*platform);
}
