#pragma once
// The process's standard output and error, which carry the log.
#include <optional>
#include <string>

namespace nimbo::platform {

enum class Buffering { none, line };

class Stdio {
public:
    virtual ~Stdio() = default;
    virtual bool outputIsTerminal() const = 0;
    // Whether standard output is a character device; absent when its status can't be read.
    virtual std::optional<bool> outputIsCharacterDevice() const = 0;
    // Reopen standard output (or error) onto `path` in append mode.
    virtual bool reopenOutput(const std::string& path) = 0;
    virtual bool reopenError(const std::string& path) = 0;
    virtual void setOutputBuffering(Buffering mode) = 0;
    // Writes one line to standard output; the newline is added here.
    virtual void writeLine(const std::string& line) = 0;
    // The folder that keeps "nimbo.log" and "nimbo.previous.log".
    virtual std::string logFolder() const = 0;
};

}  // namespace nimbo::platform
