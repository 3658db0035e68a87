#pragma once
// Simulated text recognition: every picture reads as the lines a test set.
#include <optional>
#include <utility>
#include <vector>

#include "platform/TextRecognition.h"

namespace nimbo::sim {

class SimTextRecognition : public platform::TextRecognition {
public:
    std::optional<std::vector<platform::RecognisedText>> recognise(const platform::Image& image) override {
        ++calls;
        sizes.push_back({image.width, image.height});
        return lines;
    }
    // Absent: recognition fails.
    std::optional<std::vector<platform::RecognisedText>> lines = std::vector<platform::RecognisedText>{};
    int calls = 0;
    // Width and height of each picture read.
    std::vector<std::pair<int, int>> sizes;
};

}  // namespace nimbo::sim
