// Cost of encoding a page event, against the JSON library's own serialiser on
// the same value: the difference is the price of refusing values with no JSON form.
#include <benchmark/benchmark.h>

#include "bridge/Bridge.h"

namespace {

// The largest routine event: 250 targets of the element map.
nimbo::Json elementsEvent() {
    nimbo::Json targets = nimbo::Json::array();
    for (int i = 0; i < 250; ++i) {
        targets.push_back({{"id", "e" + std::to_string(i)},
                           {"role", "AXButton"},
                           {"name", "Button number " + std::to_string(i)},
                           {"x", i / 250.0},
                           {"y", 0.5},
                           {"w", 0.01},
                           {"h", 0.02}});
    }
    return {{"capture", 12}, {"targets", targets}, {"url", "https://example.com/page"}};
}

void BM_BridgeEncode(benchmark::State& state) {
    const nimbo::MaybeJson value = elementsEvent();
    for (auto _ : state) benchmark::DoNotOptimize(nimbo::Bridge::encode(value));
}
BENCHMARK(BM_BridgeEncode);

void BM_LibraryDump(benchmark::State& state) {
    const nimbo::Json value = elementsEvent();
    for (auto _ : state) benchmark::DoNotOptimize(value.dump());
}
BENCHMARK(BM_LibraryDump);

}  // namespace

BENCHMARK_MAIN();
