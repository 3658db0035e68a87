#pragma once
// Text recognition with Tesseract's LSTM engine and its English model.
//
// The picture is turned grey once and cut into horizontal bands at rows no
// text crosses, one band per core, each read by an engine of its own at the
// same time. Engines are kept loaded between calls and lent to one thread at
// a time, so concurrent callers never share one.
#include "platform/TextRecognition.h"
#include "platform/linux/ocr/Engines.h"

namespace nimbo::ocr {

class TesseractRecognition final : public platform::TextRecognition {
public:
    // `bands`: how many parts of a picture are read at once; the cores by default.
    explicit TesseractRecognition(int bands = 0);
    std::optional<std::vector<platform::RecognisedText>> recognise(const platform::Image& image) override;

private:
    const int bands_;
    Engines engines_;
};

}  // namespace nimbo::ocr
