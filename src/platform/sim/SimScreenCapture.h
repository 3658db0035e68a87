#pragma once
// Simulated screen capture: the displays a test declares, a picture for each,
// and a record of every capture asked for (size, pointer, the one shell
// window let into it).
#include <map>
#include <string>
#include <vector>

#include "platform/ScreenCapture.h"

namespace nimbo::sim {

class SimScreenCapture : public platform::ScreenCapture {
public:
    struct Request {
        long long displayId = 0;
        int width = 0;
        int height = 0;
        std::optional<long> including;
        bool showCursor = false;
    };

    std::optional<std::vector<platform::ShareableDisplay>> shareableDisplays() override;
    platform::Grab capture(long long displayId, int width, int height, std::optional<long> including,
                           bool showCursor) override;

    std::vector<platform::ShareableDisplay> displays;
    // What each display shows, fitted to the size asked; mid grey when unset.
    std::map<long long, platform::Image> pictures;
    bool refused = false;  // capturing the screen is not allowed
    std::string failure;   // when set, every capture fails with these words
    std::vector<Request> requests;
};

}  // namespace nimbo::sim
