#pragma once
// Tesseract engines with the English LSTM model loaded, lent out one caller
// at a time: an engine is never used by two threads at once.
#include <memory>
#include <mutex>
#include <vector>

namespace tesseract {
class TessBaseAPI;
}

namespace nimbo::ocr {

class Engines {
public:
    // The first time engines are asked for, at least `initial` are made, so a
    // warm-up of one small picture loads the model for every band.
    explicit Engines(int initial);
    ~Engines();
    Engines(const Engines&) = delete;
    Engines& operator=(const Engines&) = delete;

    using Engine = std::unique_ptr<tesseract::TessBaseAPI>;
    // `count` engines, fewer when the model can't be loaded.
    std::vector<Engine> borrow(int count);
    void giveBack(std::vector<Engine> engines);

private:
    static Engine make();

    const int initial_;
    std::mutex mutex_;
    std::vector<Engine> idle_;
    int made_ = 0;
};

}  // namespace nimbo::ocr
