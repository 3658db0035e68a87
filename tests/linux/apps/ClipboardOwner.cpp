// Takes the CLIPBOARD with the targets and bytes it is given, as a copying
// application does, and serves them to whoever asks, until it is stopped.
//
//   nimbo-test-clipboard-owner [--vanish-on TARGET] [--hang-on TARGET] TARGET FILE [TARGET FILE ...]
//
// Prints "owner ready" once it owns the clipboard, "asked TARGET" for every
// request and "lost" when another client takes the clipboard. --vanish-on
// quits without answering when that target is asked for; --hang-on never
// answers it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string bytesOf(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    std::string vanishOn, hangOn;
    std::vector<std::pair<std::string, std::string>> offers;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--vanish-on") {
            vanishOn = argv[i + 1];
        } else if (name == "--hang-on") {
            hangOn = argv[i + 1];
        } else {
            offers.emplace_back(name, bytesOf(argv[i + 1]));
        }
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 1;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    const Atom targets = XInternAtom(display, "TARGETS", False);

    // Ownership is taken with a real timestamp, from a property change.
    XSelectInput(display, window, PropertyChangeMask);
    XChangeProperty(display, window, XA_WM_NAME, XA_STRING, 8, PropModeAppend, nullptr, 0);
    XEvent event;
    do XNextEvent(display, &event);
    while (event.type != PropertyNotify);
    XSetSelectionOwner(display, clipboard, window, event.xproperty.time);
    if (XGetSelectionOwner(display, clipboard) != window) return 1;
    say("owner ready");

    for (;;) {
        XNextEvent(display, &event);
        if (event.type == SelectionClear) say("lost");
        if (event.type != SelectionRequest) continue;
        const XSelectionRequestEvent& request = event.xselectionrequest;
        char* name = XGetAtomName(display, request.target);
        const std::string target = name ? name : "";
        if (name) XFree(name);
        say("asked " + target);
        if (target == vanishOn) _exit(0);
        if (target == hangOn) continue;

        const Atom property = request.property != None ? request.property : request.target;
        XSelectionEvent reply{SelectionNotify, 0,    True,        display, request.requestor, request.selection,
                              request.target,  None, request.time};
        if (request.target == targets) {
            std::vector<Atom> atoms{targets};
            for (const auto& offer : offers) atoms.push_back(XInternAtom(display, offer.first.c_str(), False));
            XChangeProperty(display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
            reply.property = property;
        }
        for (const auto& [offered, bytes] : offers) {
            if (offered != target) continue;
            XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
            reply.property = property;
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
    }
}
