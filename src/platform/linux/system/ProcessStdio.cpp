#include "platform/linux/system/ProcessStdio.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace nimbo::x11 {
namespace {

bool reopenDescriptor(FILE* stream, int target, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::fflush(stream);                      // what was written so far belongs to the old output
    const bool ok = ::dup2(fd, target) >= 0;  // dup2 clears close-on-exec on the target
    ::close(fd);
    return ok;
}

}  // namespace

bool ProcessStdio::outputIsTerminal() const {
    return ::isatty(STDOUT_FILENO) == 1;
}

std::optional<bool> ProcessStdio::outputIsCharacterDevice() const {
    struct stat status {};
    if (::fstat(STDOUT_FILENO, &status) != 0) return std::nullopt;
    return S_ISCHR(status.st_mode);
}

bool ProcessStdio::reopenOutput(const std::string& path) {
    return reopenDescriptor(stdout, STDOUT_FILENO, path);
}

bool ProcessStdio::reopenError(const std::string& path) {
    return reopenDescriptor(stderr, STDERR_FILENO, path);
}

void ProcessStdio::setOutputBuffering(platform::Buffering mode) {
    std::fflush(stdout);
    if (mode == platform::Buffering::none) {
        std::setvbuf(stdout, nullptr, _IONBF, 0);
        return;
    }
    // With a buffer of our own glibc resets the stream's buffer pointers; with
    // none it only flips the mode, and a stream that has already written keeps
    // flushing only when full.
    static char lineBuffer[BUFSIZ];
    std::setvbuf(stdout, lineBuffer, _IOLBF, sizeof lineBuffer);
}

void ProcessStdio::writeLine(const std::string& line) {
    // One locked write per line so lines from several threads never interleave.
    flockfile(stdout);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    funlockfile(stdout);
}

std::string ProcessStdio::logFolder() const {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && state[0] == '/') return std::string(state) + "/nimbo";
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : g_get_home_dir()) + "/.local/state/nimbo";
}

}  // namespace nimbo::x11
