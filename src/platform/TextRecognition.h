#pragma once
// Lines of text recognised in a picture.
#include <optional>
#include <string>
#include <vector>

#include "platform/Geometry.h"
#include "platform/Images.h"

namespace nimbo::platform {

struct RecognisedText {
    std::string text;
    // 0…1.
    double confidence = 0;
    // Fractions of the picture, origin at its bottom-left.
    Rect box;
};

// Safe to call from any thread; slow, so never called on the main thread.
class TextRecognition {
public:
    virtual ~TextRecognition() = default;
    // The lines in reading order; absent when recognition fails.
    virtual std::optional<std::vector<RecognisedText>> recognise(const Image& image) = 0;
};

}  // namespace nimbo::platform
