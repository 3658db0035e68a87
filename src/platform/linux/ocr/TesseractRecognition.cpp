#include "platform/linux/ocr/TesseractRecognition.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>
#include <future>
#include <thread>

#include "platform/linux/ocr/GreyPicture.h"

namespace nimbo::ocr {
namespace {

// A band shorter than this holds too few lines to be worth a thread.
constexpr int kLeastBandHeight = 96;

int defaultBands() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1U, 4U));
}

// Tesseract's lines of rows [top, bottom) of `picture`, boxes in pixels of the whole picture.
struct PixelLine {
    std::string text;
    float confidence = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

std::optional<std::vector<PixelLine>> readBand(tesseract::TessBaseAPI& engine, const GreyPicture& picture, int top,
                                               int bottom) {
    engine.SetImage(picture.row(top), picture.width, bottom - top, 1, picture.width);
    engine.SetSourceResolution(96);  // a screen's; Tesseract assumes paper otherwise
    std::vector<PixelLine> lines;
    const bool read = engine.Recognize(nullptr) == 0;
    if (read) {
        std::unique_ptr<tesseract::ResultIterator> it(engine.GetIterator());
        if (it) {
            do {
                std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
                if (!text) continue;
                PixelLine line;
                line.text = text.get();
                while (!line.text.empty() && std::isspace(static_cast<unsigned char>(line.text.back())))
                    line.text.pop_back();
                if (line.text.empty()) continue;
                line.confidence = it->Confidence(tesseract::RIL_TEXTLINE);
                if (!it->BoundingBox(tesseract::RIL_TEXTLINE, &line.left, &line.top, &line.right, &line.bottom))
                    continue;
                line.top += top;
                line.bottom += top;
                lines.push_back(std::move(line));
            } while (it->Next(tesseract::RIL_TEXTLINE));
        }
    }
    // The engine lets go of the band's pixels before the picture goes.
    engine.Clear();
    if (!read) return std::nullopt;
    return lines;
}

platform::RecognisedText normalised(const PixelLine& line, int width, int height) {
    platform::RecognisedText text;
    text.text = line.text;
    text.confidence = std::clamp(line.confidence / 100.0, 0.0, 1.0);
    const double w = width, h = height;
    text.box =
        Rect{{line.left / w, (h - line.bottom) / h}, {(line.right - line.left) / w, (line.bottom - line.top) / h}};
    return text;
}

}  // namespace

TesseractRecognition::TesseractRecognition(int bands) : bands_(bands > 0 ? bands : defaultBands()), engines_(bands_) {}

std::optional<std::vector<platform::RecognisedText>> TesseractRecognition::recognise(const platform::Image& image) {
    if (image.empty()) return std::vector<platform::RecognisedText>{};
    const GreyPicture picture = GreyPicture::from(image);
    if (picture.width <= 0 || picture.height <= 0) return std::nullopt;  // pixels missing for its size
    const int wanted = std::clamp(picture.height / kLeastBandHeight, 1, bands_);
    std::vector<int> bounds = bandStarts(picture, wanted);
    bounds.push_back(picture.height);
    const int count = static_cast<int>(bounds.size()) - 1;

    auto engines = engines_.borrow(count);
    if (static_cast<int>(engines.size()) < count) {
        engines_.giveBack(std::move(engines));
        return std::nullopt;
    }
    // Every band but the first on a thread of its own; the caller reads the first.
    std::vector<std::future<std::optional<std::vector<PixelLine>>>> others;
    for (int band = 1; band < count; ++band) {
        others.push_back(std::async(std::launch::async, readBand, std::ref(*engines[band]), std::cref(picture),
                                    bounds[band], bounds[band + 1]));
    }
    std::vector<std::optional<std::vector<PixelLine>>> bandLines;
    bandLines.push_back(readBand(*engines[0], picture, bounds[0], bounds[1]));
    for (auto& other : others) bandLines.push_back(other.get());
    engines_.giveBack(std::move(engines));

    std::vector<platform::RecognisedText> lines;
    for (const auto& band : bandLines) {
        if (!band) return std::nullopt;
        for (const auto& line : *band) lines.push_back(normalised(line, picture.width, picture.height));
    }
    return lines;
}

}  // namespace nimbo::ocr
