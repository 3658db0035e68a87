#pragma once
// Simulated text recognition: every picture reads as the lines a test set.
#include <optional>
#include <vector>

#include "platform/TextRecognition.h"

namespace nimbo::sim {

class SimTextRecognition : public platform::TextRecognition {
public:
    std::optional<std::vector<platform::RecognisedText>> recognise(const platform::Image&) override {
        ++calls;
        return lines;
    }
    // Absent: recognition fails.
    std::optional<std::vector<platform::RecognisedText>> lines = std::vector<platform::RecognisedText>{};
    int calls = 0;
};

}  // namespace nimbo::sim
