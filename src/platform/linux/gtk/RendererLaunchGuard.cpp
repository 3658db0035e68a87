#include "platform/linux/gtk/RendererLaunchGuard.h"

// How the abort comes about: WebKit starts each page process with one end of a
// socket pair whose other end (SO_PASSCRED) it watches on the main loop. When
// that end turns readable it calls recvmsg() expecting one byte carrying the
// child's credentials, because with a sandbox the process it spawned is not the
// page process and only the credentials name the right one. A child that died
// first leaves an end of file there, which WebKit answers with g_error(), and
// GLib makes every such error fatal: no log handler can stop it.
//
// The fix answers that one read as though the dead child had sent credentials,
// so WebKit goes on to connect to it, finds it gone and reports the ordinary
// web-process-terminated that the views recover from. It does so by providing
// recvmsg() here: the program's own definition comes first in every symbol
// lookup, so WebKit's call (and everyone else's) lands here and is passed
// straight through to the C library's. Only a read that matches WebKit's PID
// read in every respect and found the other end closed with nothing sent is
// answered instead: called from WebKit's library, no flags, a one-byte buffer,
// room for credentials and none received, on a Unix socket with SO_PASSCRED.
// The sandbox is untouched (the page processes start exactly as before) and
// every other fatal error stays fatal.

#include <dlfcn.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>

#include "base/Log.h"

namespace nimbo::x11 {
namespace {

// The library the PID read is made from; its soname is the one the build links.
constexpr const char* kWebKitLibrary = "libwebkit2gtk-4.1.so.0";

// Where WebKit's library is loaded; null until the guard is armed.
std::atomic<void*> webkitBase{nullptr};

using ReceiveMessage = ssize_t (*)(int, msghdr*, int);

ssize_t receiveFromLibrary(int fd, msghdr* message, int flags) {
    static const auto next = reinterpret_cast<ReceiveMessage>(dlsym(RTLD_NEXT, "recvmsg"));
    if (next) return next(fd, message, flags);
    return syscall(SYS_recvmsg, fd, message, flags);
}

bool calledFromWebKit(const void* caller) {
    void* base = webkitBase.load(std::memory_order_relaxed);
    Dl_info info{};
    return base && dladdr(caller, &info) && info.dli_fbase == base;
}

bool isCredentialSocket(int fd) {
    int domain = 0, passesCredentials = 0;
    socklen_t size = sizeof domain;
    if (getsockopt(fd, SOL_SOCKET, SO_DOMAIN, &domain, &size) != 0 || domain != AF_UNIX) return false;
    size = sizeof passesCredentials;
    return getsockopt(fd, SOL_SOCKET, SO_PASSCRED, &passesCredentials, &size) == 0 && passesCredentials;
}

// Children that exit stay unreaped only while SIGCHLD is neither ignored nor
// set to reap them on its own.
bool childrenStayUnreaped() {
    struct sigaction current {};
    if (sigaction(SIGCHLD, nullptr, &current) != 0) return false;
    return current.sa_handler != SIG_IGN && !(current.sa_flags & SA_NOCLDWAIT);
}

bool exitedUnreaped(pid_t pid, int wait) {
    siginfo_t info{};
    // WNOWAIT leaves the child waitable, so its id stays reserved.
    return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | wait) == 0 && info.si_pid == pid;
}

pid_t startAndExit() {
    const pid_t child = vfork();
    if (child == 0) _exit(0);
    return child;
}

// The id WebKit is given for the process that died unannounced. Not that
// process's own: GLib reaps it on a thread of its own at any moment, after which
// its id is free for an unrelated process, and WebKit kill()s the id it holds
// when it lets a process go. Instead, a child of ours that has exited and that
// nothing ever reaps: a zombie's id can't be handed to another process, and
// killing it does nothing. One serves for the program's whole life.
pid_t deadChildId() {
    static std::mutex lock;
    static pid_t tombstone = 0;
    std::lock_guard<std::mutex> hold(lock);
    if (tombstone > 0 && exitedUnreaped(tombstone, WNOHANG)) return tombstone;
    tombstone = 0;
    if (!childrenStayUnreaped()) return 0;
    const pid_t child = startAndExit();
    if (child > 0 && exitedUnreaped(child, 0)) tombstone = child;
    return tombstone;
}

// Fills `message` as a read of one byte with the credentials of `pid`; `room`
// is the control space the caller gave.
ssize_t answerWithCredentials(msghdr* message, size_t room, pid_t pid) {
    const ucred credentials{pid, getuid(), getgid()};
    message->msg_controllen = room;
    cmsghdr* header = CMSG_FIRSTHDR(message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_CREDENTIALS;
    header->cmsg_len = CMSG_LEN(sizeof credentials);
    std::memcpy(CMSG_DATA(header), &credentials, sizeof credentials);
    message->msg_controllen = CMSG_SPACE(sizeof credentials);
    message->msg_flags = 0;
    *static_cast<char*>(message->msg_iov[0].iov_base) = 0;
    return 1;
}

// `got` is what the C library's recvmsg answered; the PID read of a process
// that died unannounced is answered anew, everything else is returned as it was.
ssize_t guardedAnswer(int fd, msghdr* message, int flags, size_t room, ssize_t got, const void* caller) {
    if (got != 0 || flags != 0 || !message || message->msg_controllen != 0) return got;
    if (message->msg_iovlen != 1 || !message->msg_iov || message->msg_iov[0].iov_len != 1) return got;
    if (room < CMSG_SPACE(sizeof(ucred)) || !message->msg_control) return got;
    if (!calledFromWebKit(caller) || !isCredentialSocket(fd)) return got;
    const int error = errno;
    const pid_t dead = deadChildId();
    if (dead <= 0) {
        Log::line("nimbo: a page process died while starting and no stand-in id could be made; WebKit will abort");
        errno = error;
        return got;
    }
    Log::line("nimbo: a page process died while starting; it is reported as a renderer crash");
    errno = error;
    return answerWithCredentials(message, room, dead);
}

}  // namespace

void guardRendererLaunches() {
    // Our recvmsg only stands in for the C library's when the program's own
    // symbol table offers it (the link exports it because shared libraries use it).
    if (dlsym(RTLD_DEFAULT, "recvmsg") != reinterpret_cast<void*>(&::recvmsg)) {
        Log::line("nimbo: recvmsg is not the program's own; a page process dying while starting will abort");
        return;
    }
    void* library = dlopen(kWebKitLibrary, RTLD_LAZY | RTLD_NOLOAD);
    void* symbol = library ? dlsym(library, "webkit_web_view_new") : nullptr;
    Dl_info info{};
    if (!symbol || !dladdr(symbol, &info) || !info.dli_fbase) {
        Log::line(std::string("nimbo: ") + kWebKitLibrary +
                  " isn't loaded; a page process dying while starting will abort");
    } else {
        webkitBase.store(info.dli_fbase);
    }
    if (library) dlclose(library);
}

}  // namespace nimbo::x11

extern "C" ssize_t recvmsg(int fd, msghdr* message, int flags) {
    const size_t room = message ? message->msg_controllen : 0;
    const ssize_t got = nimbo::x11::receiveFromLibrary(fd, message, flags);
    if (got != 0) return got;
    return nimbo::x11::guardedAnswer(fd, message, flags, room, got, __builtin_return_address(0));
}
