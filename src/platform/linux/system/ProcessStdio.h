#pragma once
#include "platform/Stdio.h"

namespace nimbo::x11 {

// File descriptors 1 and 2 and the C streams on them. Reopening swaps the
// descriptor underneath with dup2, so stdout/stderr stay the same FILE*s and a
// file that can't be opened leaves the original output in place.
class ProcessStdio final : public platform::Stdio {
public:
    bool outputIsTerminal() const override;
    std::optional<bool> outputIsCharacterDevice() const override;
    bool reopenOutput(const std::string& path) override;
    bool reopenError(const std::string& path) override;
    void setOutputBuffering(platform::Buffering mode) override;
    void writeLine(const std::string& line) override;
    // $XDG_STATE_HOME/nimbo, or ~/.local/state/nimbo.
    std::string logFolder() const override;
};

}  // namespace nimbo::x11
