#include "platform/linux/ocr/Engines.h"

#include <dlfcn.h>
#include <tesseract/baseapi.h>

#include <mutex>
#include <string>

namespace nimbo::ocr {

Engines::Engines(int initial) : initial_(initial) {}
Engines::~Engines() = default;

namespace {

// Tesseract built with OpenMP spreads each step of the LSTM over four threads
// that meet after every step; on two cores that costs about twice the
// processor time of one thread. The bands already keep the cores busy, so the
// runtime is told to run those regions on one thread. Nothing else in the
// process uses OpenMP; without it in the process there is nothing to do.
void keepOpenMpToOneThread() {
    static std::once_flag once;
    std::call_once(once, [] {
        using SetLevels = void (*)(int);
        if (auto set = reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) set(0);
    });
}

}  // namespace

Engines::Engine Engines::make() {
    keepOpenMpToOneThread();
    // Loading sets some of Tesseract's process-wide settings; one load at a time.
    static std::mutex loading;
    std::lock_guard lock(loading);
    auto engine = std::make_unique<tesseract::TessBaseAPI>();
    // Screenshots carry no language correction worth its cost: the model reads
    // characters, and the core judges what looks misread.
    std::vector<std::string> names{"load_system_dawg", "load_freq_dawg", "debug_file"};
    std::vector<std::string> values{"0", "0", "/dev/null"};
    // Tesseract's own data folder (TESSDATA_PREFIX when set).
    if (engine->Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values, false) != 0) return nullptr;
    engine->SetPageSegMode(tesseract::PSM_AUTO);
    return engine;
}

std::vector<Engines::Engine> Engines::borrow(int count) {
    std::vector<Engine> lent;
    int toMake = 0;
    {
        std::lock_guard lock(mutex_);
        while (static_cast<int>(lent.size()) < count && !idle_.empty()) {
            lent.push_back(std::move(idle_.back()));
            idle_.pop_back();
        }
        toMake = count - static_cast<int>(lent.size());
        if (made_ == 0) toMake = std::max(toMake, initial_);
        made_ += toMake;
    }
    // Loading a model takes a while; no lock is held meanwhile.
    std::vector<Engine> spare;
    for (int i = 0; i < toMake; ++i) {
        auto engine = make();
        if (!engine) continue;
        (static_cast<int>(lent.size()) < count ? lent : spare).push_back(std::move(engine));
    }
    if (!spare.empty()) giveBack(std::move(spare));
    return lent;
}

void Engines::giveBack(std::vector<Engine> engines) {
    std::lock_guard lock(mutex_);
    for (auto& engine : engines) {
        if (engine) idle_.push_back(std::move(engine));
    }
}

}  // namespace nimbo::ocr
