// Text recognition on pictures of known text: what was drawn where comes back
// as lines with their boxes, however the picture is split across threads.
#include <gtest/gtest.h>

#include <cmath>
#include <future>

#include "TextPicture.h"
#include "platform/linux/ocr/TesseractRecognition.h"

namespace nimbo::test {
namespace {

struct Drawn {
    std::string text;
    Rect ink;  // pixels, rows from the top
};

// A line of the answer whose box, in pixels from the top, lies on `drawn`'s
// ink within `tolerance`; null when there is none.
const platform::RecognisedText* lineOn(const std::vector<platform::RecognisedText>& lines, const Drawn& drawn,
                                       int width, int height, double tolerance = 3) {
    for (const auto& line : lines) {
        const double left = line.box.origin.x * width, right = (line.box.origin.x + line.box.size.width) * width;
        const double bottom = (1 - line.box.origin.y) * height;
        const double top = bottom - line.box.size.height * height;
        const Rect& ink = drawn.ink;
        if (std::abs(left - ink.origin.x) <= tolerance &&
            std::abs(right - (ink.origin.x + ink.size.width)) <= tolerance &&
            std::abs(top - ink.origin.y) <= tolerance &&
            std::abs(bottom - (ink.origin.y + ink.size.height)) <= tolerance)
            return &line;
    }
    return nullptr;
}

// Lines in several sizes, one on a dark bar as in a dark theme, and one
// across the middle row, where a picture cut in two halves would split it.
struct Sample {
    TextPicture picture{900, 420};
    std::vector<Drawn> drawn;
    Sample() {
        picture.fill(Rect{{0, 0}, {900, 44}}, 0x2d2d30);
        add("Account settings", 360, 12, "DejaVu Sans Bold 12", 0xf0f0f0);
        add("Remember recently opened files", 40, 80, "DejaVu Sans 11", 0x202020);
        add("Delete the browsing history", 40, 200, "DejaVu Sans 16", 0x202020);
        add("Checksum 7be2d0 of 84 MB", 480, 300, "DejaVu Sans 10", 0x505050);
        add("Cancel", 700, 372, "DejaVu Sans 10", 0x202020);
    }
    void add(const std::string& text, double x, double y, const std::string& font, unsigned colour) {
        drawn.push_back({text, picture.write(text, x, y, font, colour)});
    }
};

}  // namespace

TEST(TextRecognition, LinesComeBackWithTheirTextAndWhereTheyWereDrawn) {
    Sample sample;
    const auto& drawnAcross = sample.drawn[2];
    ASSERT_LT(drawnAcross.ink.origin.y, 210);
    ASSERT_GT(drawnAcross.ink.origin.y + drawnAcross.ink.size.height, 210) << "a line crosses the middle";
    // Two bands, as on two cores, whatever this machine has.
    ocr::TesseractRecognition recognition(2);
    const auto lines = recognition.recognise(sample.picture.image());
    ASSERT_TRUE(lines);
    for (const auto& drawn : sample.drawn) {
        const auto* line = lineOn(*lines, drawn, 900, 420);
        ASSERT_TRUE(line) << "nothing where \"" << drawn.text << "\" was drawn";
        EXPECT_EQ(line->text, drawn.text);
        EXPECT_GT(line->confidence, 0.5);
        EXPECT_LE(line->confidence, 1.0);
    }
    EXPECT_EQ(lines->size(), sample.drawn.size());
}

TEST(TextRecognition, NothingToReadIsAnEmptyList) {
    ocr::TesseractRecognition recognition(2);
    TextPicture blank(640, 480, 0xf4f4f4);
    const auto none = recognition.recognise(blank.image());
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
    const auto empty = recognition.recognise(platform::Image{});
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->empty());
    // Pixels missing for the size the picture claims: a failure, not a crash.
    auto broken = blank.image();
    broken.height = 4800;
    EXPECT_FALSE(recognition.recognise(broken));
}

TEST(TextRecognition, CallersOnTwoThreadsAtOnceGetTheSameLines) {
    Sample sample;
    const auto image = sample.picture.image();
    ocr::TesseractRecognition recognition(2);
    const auto alone = recognition.recognise(image);
    ASSERT_TRUE(alone);
    auto read = [&] { return recognition.recognise(image); };
    auto first = std::async(std::launch::async, read);
    auto second = std::async(std::launch::async, read);
    const auto a = first.get();
    const auto b = second.get();
    ASSERT_TRUE(a && b);
    auto texts = [](const std::vector<platform::RecognisedText>& lines) {
        std::vector<std::pair<std::string, Rect>> kept;
        for (const auto& line : lines) kept.emplace_back(line.text, line.box);
        return kept;
    };
    EXPECT_EQ(texts(*a), texts(*alone));
    EXPECT_EQ(texts(*b), texts(*alone));
}

}  // namespace nimbo::test
