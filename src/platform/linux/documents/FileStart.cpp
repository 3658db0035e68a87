#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/linux/documents/Readers.h"

namespace nimbo::documents {

std::optional<std::string> fileStart(const std::string& path, std::size_t most) {
    // Opened without waiting, so a FIFO named like a document can't hold the reader up.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat facts {};
    if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    bytes.resize(std::min<std::size_t>(most, static_cast<std::size_t>(facts.st_size)));
    std::size_t got = 0;
    while (got < bytes.size()) {
        ssize_t read = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (read < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (read == 0) break;
        got += static_cast<std::size_t>(read);
    }
    ::close(fd);
    bytes.resize(got);
    return bytes;
}

}  // namespace nimbo::documents
