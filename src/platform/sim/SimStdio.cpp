#include "platform/sim/SimStdio.h"

#include <fstream>

namespace nimbo::sim {

bool SimStdio::reopenOutput(const std::string& path) {
    std::ofstream probe(path, std::ios::app);
    if (!probe) return false;
    outputPath = path;
    return true;
}

bool SimStdio::reopenError(const std::string& path) {
    std::ofstream probe(path, std::ios::app);
    if (!probe) return false;
    errorPath = path;
    return true;
}

void SimStdio::writeLine(const std::string& line) {
    lines.push_back(line);
    if (outputPath) std::ofstream(*outputPath, std::ios::app) << line << '\n';
}

}  // namespace nimbo::sim
