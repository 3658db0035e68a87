#pragma once
// Whether a path names a regular file: the libraries that open documents
// would wait forever on a FIFO and read a device without end.
#include <sys/stat.h>

#include <string>

namespace nimbo::documents {

inline bool regularFile(const std::string& path) {
    struct stat facts {};
    return ::stat(path.c_str(), &facts) == 0 && S_ISREG(facts.st_mode);
}

}  // namespace nimbo::documents
