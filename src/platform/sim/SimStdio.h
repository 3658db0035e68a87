#pragma once
// Standard output as a list of lines. Reopening onto a path writes the lines
// that follow into that real file too, so log-file rules can be checked on disk.
#include <optional>
#include <string>
#include <vector>

#include "platform/Stdio.h"

namespace nimbo::sim {

class SimStdio : public platform::Stdio {
public:
    bool outputIsTerminal() const override { return terminal; }
    std::optional<bool> outputIsCharacterDevice() const override { return characterDevice; }
    bool reopenOutput(const std::string& path) override;
    bool reopenError(const std::string& path) override;
    void setOutputBuffering(platform::Buffering mode) override { buffering.push_back(mode); }
    void writeLine(const std::string& line) override;
    std::string logFolder() const override { return folder; }

    bool terminal = false;
    std::optional<bool> characterDevice = false;
    std::string folder = "/nonexistent";
    std::vector<std::string> lines;
    std::optional<std::string> outputPath;
    std::optional<std::string> errorPath;
    std::vector<platform::Buffering> buffering;
};

}  // namespace nimbo::sim
