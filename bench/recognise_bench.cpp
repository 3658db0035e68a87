// Text recognition on screens whose words are known: the backend's
// `recognise` against the `tesseract` command-line tool on the same pictures,
// wall time and word recall side by side. Run under a desktop:
// scripts/recognise-bench [RUNS] [FOLDER FOR THE PICTURES].
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "KnownScreens.h"
#include "TextPicture.h"
#include "platform/linux/LinuxPlatform.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What `tesseract PNG stdout` prints, and how long it took.
std::pair<std::string, double> runTool(const std::string& png) {
    const auto start = Clock::now();
    gchar* out = nullptr;
    gint status = 0;
    const gchar* argv[] = {"tesseract", png.c_str(), "stdout", nullptr};
    const bool ran = g_spawn_sync(nullptr, const_cast<gchar**>(argv), nullptr,
                                  static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL), nullptr,
                                  nullptr, &out, nullptr, &status, nullptr);
    const double seconds = secondsSince(start);
    std::string text = ran && out ? out : "";
    g_free(out);
    return {text, seconds};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace nimbo;
    auto platform = x11::makePlatform(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string folder = argc > 2 ? argv[2] : g_get_tmp_dir();
    auto& recognition = platform->textRecognition();

    // The model loads once, as the shell's warm-up does at start.
    const auto warmStart = Clock::now();
    test::TextPicture blank(96, 32);
    recognition.recognise(blank.image());
    std::printf("warm-up (model loaded): %.3f s\n\n", secondsSince(warmStart));

    std::vector<bench::KnownScreen> screens{bench::denseTextWindow(), bench::settingsDialog(),
                                            bench::webPage(*platform)};
    std::printf("%-20s %9s %6s | %10s %8s %10s | %8s %8s\n", "screen", "size", "words", "recognise", "recall", "lines",
                "tesseract", "recall");
    std::printf("%-20s %9s %6s | %10s %8s %10s | %8s %8s\n", "", "", "", "median s", "", "", "median s", "");
    double oursTotal = 0, toolTotal = 0;
    for (const auto& screen : screens) {
        if (screen.image.empty()) {
            std::printf("%-20s could not be shown\n", screen.name.c_str());
            continue;
        }
        // The tool reads the same pixels from a lossless file.
        const std::string png = folder + "/nimbo-recognise-" + std::to_string(&screen - screens.data()) + ".png";
        {
            cairo_surface_t* surface = cairo_image_surface_create_for_data(
                const_cast<unsigned char*>(screen.image.pixels->data()), CAIRO_FORMAT_RGB24, screen.image.width,
                screen.image.height, screen.image.stride);
            cairo_surface_write_to_png(surface, png.c_str());
            cairo_surface_destroy(surface);
        }
        std::vector<double> ourTimes, toolTimes;
        std::string ourText, toolText;
        std::size_t lineCount = 0;
        for (int run = 0; run < runs; ++run) {
            const auto start = Clock::now();
            const auto lines = recognition.recognise(screen.image);
            ourTimes.push_back(secondsSince(start));
            ourText.clear();
            lineCount = lines ? lines->size() : 0;
            if (lines) {
                for (const auto& line : *lines) ourText += line.text + "\n";
            }
            auto [text, seconds] = runTool(png);
            toolTimes.push_back(seconds);
            toolText = std::move(text);
        }
        const double ours = median(ourTimes), tool = median(toolTimes);
        oursTotal += ours;
        toolTotal += tool;
        std::printf("%-20s %4dx%-4d %6zu | %10.3f %7.1f%% %10zu | %8.3f %7.1f%%\n", screen.name.c_str(),
                    screen.image.width, screen.image.height, screen.words.size(), ours,
                    100 * bench::recall(screen.words, bench::words(ourText)), lineCount, tool,
                    100 * bench::recall(screen.words, bench::words(toolText)));
        if (std::getenv("NIMBO_BENCH_TEXT")) std::printf("---\n%s---\n%s---\n", ourText.c_str(), toolText.c_str());
    }
    std::printf("\nrecognise takes %.0f%% of the tool's time over the three screens (%d runs each, medians)\n",
                toolTotal > 0 ? 100 * oursTotal / toolTotal : 0, runs);
    return 0;
}
