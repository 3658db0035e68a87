// Text recognition on screens whose words are known: the backend's
// `recognise` against the `tesseract` command-line tool on the same pictures,
// wall time and word recall side by side. Run under a desktop:
// scripts/recognise-bench [RUNS] [FOLDER FOR THE PICTURES].
#include <gtk/gtk.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
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

double processorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Timed {
    std::string text;
    double seconds = 0;
    double processor = 0;  // seconds of processor time, every thread's
};

// What `tesseract PNG OUT` writes, and what it cost.
Timed runTool(const std::string& png) {
    Timed timed;
    const std::string out = png + ".tool";
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        execlp("tesseract", "tesseract", png.c_str(), out.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return timed;
    timed.seconds = secondsSince(start);
    timed.processor = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::ifstream file(out + ".txt");
    timed.text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    std::remove((out + ".txt").c_str());
    return timed;
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
    std::printf("%-18s %9s %5s | %-29s | %-24s | %s\n", "", "", "", "recognise", "tesseract", "ratio");
    std::printf("%-18s %9s %5s | %8s %6s %7s %5s | %8s %6s %7s | %6s %6s\n", "screen", "size", "words", "wall s",
                "cpu s", "recall", "lines", "wall s", "cpu s", "recall", "wall", "cpu");
    double oursTotal = 0, toolTotal = 0, oursCpuTotal = 0, toolCpuTotal = 0;
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
        std::vector<double> ourTimes, toolTimes, ourCpu, toolCpu;
        std::string ourText, toolText;
        std::size_t lineCount = 0;
        for (int run = 0; run < runs; ++run) {
            const auto start = Clock::now();
            const double startCpu = processorSeconds();
            const auto lines = recognition.recognise(screen.image);
            ourTimes.push_back(secondsSince(start));
            ourCpu.push_back(processorSeconds() - startCpu);
            ourText.clear();
            lineCount = lines ? lines->size() : 0;
            if (lines) {
                for (const auto& line : *lines) ourText += line.text + "\n";
            }
            auto tool = runTool(png);
            toolTimes.push_back(tool.seconds);
            toolCpu.push_back(tool.processor);
            toolText = std::move(tool.text);
        }
        const double ours = median(ourTimes), tool = median(toolTimes);
        const double oursCpu = median(ourCpu), toolCpuMedian = median(toolCpu);
        oursTotal += ours;
        toolTotal += tool;
        oursCpuTotal += oursCpu;
        toolCpuTotal += toolCpuMedian;
        std::printf("%-18s %4dx%-4d %5zu | %8.3f %6.2f %6.1f%% %5zu | %8.3f %6.2f %6.1f%% | %5.0f%% %5.0f%%\n",
                    screen.name.c_str(), screen.image.width, screen.image.height, screen.words.size(), ours, oursCpu,
                    100 * bench::recall(screen.words, bench::words(ourText)), lineCount, tool, toolCpuMedian,
                    100 * bench::recall(screen.words, bench::words(toolText)), 100 * ours / tool,
                    100 * oursCpu / toolCpuMedian);
        if (std::getenv("NIMBO_BENCH_TEXT")) std::printf("---\n%s---\n%s---\n", ourText.c_str(), toolText.c_str());
    }
    std::printf(
        "\nover the three screens recognise takes %.0f%% of the tool's wall time and %.0f%% of its processor "
        "time (medians of %d runs each)\n",
        toolTotal > 0 ? 100 * oursTotal / toolTotal : 0, toolCpuTotal > 0 ? 100 * oursCpuTotal / toolCpuTotal : 0,
        runs);
    return 0;
}
