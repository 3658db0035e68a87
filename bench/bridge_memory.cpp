// Memory of the shell while a page's invokes are answered, on the real
// backend: resident set size after 10^4 answered invokes of one overlay page
// and then every 10^5 up to 10^6 (or the count given as the first argument).
// Run under a desktop: scripts/bridge-memory [LAST].
#include <gtk/gtk.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "PageServer.h"
#include "bridge/Bridge.h"
#include "display/Overlay.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

constexpr const char* kPage = R"HTML(<!doctype html><script>
window.talk = async (count) => {
  for (let i = 0; i < count; i++) await nimboDesktop.frameNow();
  return count;
};
</script>)HTML";

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

void spinUntil(const bool& flag) {
    while (!flag) g_main_context_iteration(nullptr, TRUE);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nimbo;
    // The last count to reach: 10^6 unless given.
    const long long last = argc > 1 ? std::atoll(argv[1]) : 1'000'000LL;
    auto platform = x11::makePlatform(argc, argv);
    test::PageServer server([](const std::string&, const std::string&) {
        return test::PageServer::Answer{200, kPage};
    });
    const auto screen = platform->screens().mainScreen();
    if (!screen) return 1;
    long long answered = 0;
    auto overlay = Overlay::make(*platform, *screen, server.url("/spatial/overlay"), Rect{{0, 0}, {300, 200}},
                                 [&answered](Overlay& from, const BridgeMessage& message) {
                                     if (!message.id) return;
                                     ++answered;
                                     Bridge::resolve(from.web(), *message.id, from.frameInfo());
                                 });
    // The page is there once its talk function is.
    for (bool ready = false; !ready;) {
        bool done = false;
        overlay->web().callAsync("return typeof window.talk === 'function';", Json::object(),
                                 [&](const platform::ScriptResult& result) {
                                     ready = result.value == Json(true);
                                     done = true;
                                 });
        spinUntil(done);
    }
    std::printf("%-18s %10s %12s\n", "answered invokes", "RSS (MB)", "seconds");
    std::printf("%-18d %10.1f %12s\n", 0, residentMegabytes(), "-");
    const auto started = std::chrono::steady_clock::now();
    // Every 10^5 past the first 10^5, so a long run shows its trend as it goes.
    std::vector<long long> targets{10'000LL};
    for (long long count = 100'000; count <= last; count += 100'000) targets.push_back(count);
    for (long long target : targets) {
        bool done = false;
        overlay->web().callAsync("return await window.talk(count);", Json{{"count", target - answered}},
                                 [&](const platform::ScriptResult&) { done = true; });
        spinUntil(done);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::printf("%-18lld %10.1f %12.1f\n", answered, residentMegabytes(), seconds);
        std::fflush(stdout);
    }
    overlay->tearDown();
    return 0;
}
