#include "ask/Capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Base64.h"
#include "platform/sim/SimPlatform.h"
#include "support/Base64Text.h"

namespace nimbo {
namespace {

using sim::SimImages;
using testing::jpegText;

platform::Image blank(int width, int height) {
    return SimImages::solid(width, height, 0, 0, 0);
}

TEST(Base64Test, PadsTheLastGroup) {
    auto bytes = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    EXPECT_EQ(base64(bytes("Man")), "TWFu");
    EXPECT_EQ(base64(bytes("Ma")), "TWE=");
    EXPECT_EQ(base64(bytes("M")), "TQ==");
    EXPECT_EQ(base64({0xFB, 0xFF}), "+/8=");
}

TEST(ModelDataURLTest, ScalesOnlyImagesWiderThanOnePointTwoPixelsAPoint) {
    SimImages images;
    // A Retina display is halved to one pixel per point.
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(3024, 1964), 1512, 0.82)), "JPEG 1512x982 q0.820000");
    // Within 1.2 × 1512 = 1814 pixels: sent as it is, and so is anything for a width under one point.
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(1800, 1000), 1512, 0.82)), "JPEG 1800x1000 q0.820000");
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(1800, 1000), 0.4, 0.5)), "JPEG 1800x1000 q0.500000");
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(1800, 1000), std::nan(""), 0.5)),
              "JPEG 1800x1000 q0.500000");
    ASSERT_EQ(images.scales.size(), 1u);
    // Halves round away from zero: 1000.5 points are 1001 pixels, 999.4 are 999.
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(2002, 1000), 1000.5, 0.82)), "JPEG 1001x500 q0.820000");
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(2000, 1001), 999.4, 0.82)), "JPEG 999x500 q0.820000");
}

TEST(ModelDataURLTest, AFailedScaleSendsTheWholeImageAndAFailedEncodeNothing) {
    SimImages images;
    images.scaleFails = true;
    EXPECT_EQ(jpegText(*Capture::modelDataURL(images, blank(3024, 1964), 1512, 0.82)), "JPEG 3024x1964 q0.820000");
    images.jpegFails = true;
    EXPECT_FALSE(Capture::modelDataURL(images, blank(3024, 1964), 1512, 0.82));
    EXPECT_FALSE(Capture::modelDataURL(images, platform::Image{}, 1512, 0.82));
}

struct CropCase {
    Point at;
    std::optional<double> w, h, grow;
    Rect pixels;  // the region expected, in pixels of a 3024 × 1964 image
};

TEST(CropTest, RegionIsAtLeast1024PixelsGrownAndKeptInside) {
    const double nan = std::nan("");
    const double huge = std::numeric_limits<double>::max();
    const std::vector<CropCase> cases = {
        {{0.5, 0.5}, {}, {}, {}, {{1000, 470}, {1024, 1024}}},
        {{0.5, 0.5}, {}, {}, 10, {{0, 0}, {3024, 1964}}},
        {{0.5, 0.5}, {}, {}, 2, {{488, 0}, {2048, 1964}}},
        {{0.99, 0.99}, {}, {}, {}, {{2000, 940}, {1024, 1024}}},
        {{0.25, 0.5}, 0.5, 0.1, {}, {{0, 470}, {1512, 1024}}},
        {{0.5, 0.5}, 0.3, {}, 1.5, {{424, 214}, {2176, 1536}}},
        // What a hostile page might send still ends inside the picture.
        {{-5, huge}, -1, nan, nan, {{0, 940}, {1024, 1024}}},
        {{0.5, 0.5}, huge, huge, -3, {{756, 470}, {1512, 1024}}},
    };
    SimImages images;
    for (const auto& c : cases) {
        auto crop = Capture::crop(images, blank(3024, 1964), c.at, c.w, c.h, c.grow);
        ASSERT_TRUE(crop);
        const Rect& p = c.pixels;
        EXPECT_EQ(crop->rect, (Rect{{p.minX() / 3024, p.minY() / 1964}, {p.size.width / 3024, p.size.height / 1964}}))
            << c.at.x << "," << c.at.y;
        EXPECT_EQ(jpegText(crop->dataURL), "JPEG " + std::to_string(int(p.size.width)) + "x" +
                                               std::to_string(int(p.size.height)) + " q0.920000");
    }
    EXPECT_FALSE(Capture::crop(images, blank(3024, 1964), {nan, 0.5}, {}, {}, {}));
    images.jpegFails = true;
    EXPECT_FALSE(Capture::crop(images, blank(3024, 1964), {0.5, 0.5}, {}, {}, {}));
}

TEST(CropTest, CutsTheRightPixels) {
    // Left half black, right half white: a region straddling the middle.
    auto image = SimImages::solid(2048, 1200, 0, 0, 0);
    auto pixels = std::make_shared<std::vector<std::uint8_t>>(*image.pixels);
    for (int y = 0; y < 1200; ++y) std::fill_n(pixels->begin() + long{y} * image.stride + 1024L * 4, 1024 * 4, 255);
    image.pixels = pixels;
    SimImages images;
    auto crop = Capture::crop(images, image, {0.5, 0.5}, {}, {}, {});
    ASSERT_TRUE(crop);
    const auto& cut = images.jpegs.back().image;
    ASSERT_EQ(cut.width, 1024);
    EXPECT_EQ((*cut.pixels)[cut.stride * 100 + 511 * 4], 0);
    EXPECT_EQ((*cut.pixels)[cut.stride * 100 + 512 * 4], 255);
}

class GrabTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.displays.list = {screen(1, {{0, 0}, {1512, 982}}, 2), screen(2, {{1512, 0}, {1920, 1080}}, 1)};
        sim.capturer.displays = {{1, {{0, 0}, {1512, 982}}}, {2, {{1512, -98}, {1920, 1080}}}};
    }
    static platform::Screen screen(long long number, Rect frame, double scale) {
        platform::Screen s;
        s.number = number;
        s.frame = frame;
        s.backingScale = scale;
        return s;
    }
    sim::SimPlatform sim;
};

TEST_F(GrabTest, CapturesTheScreensDisplayAtFullResolutionWithThePointer) {
    auto grabbed = Capture::grab(sim, sim.displays.list[1], 7);
    ASSERT_TRUE(grabbed.shot);
    EXPECT_EQ(grabbed.shot->bounds, (Rect{{1512, -98}, {1920, 1080}}));
    EXPECT_EQ(grabbed.shot->image.width, 1920);
    ASSERT_EQ(sim.capturer.requests.size(), 1u);
    const auto& asked = sim.capturer.requests[0];
    EXPECT_EQ(asked.displayId, 2);
    EXPECT_EQ(asked.including, 7);
    EXPECT_TRUE(asked.showCursor);

    // Retina: twice the points.
    Capture::grab(sim, sim.displays.list[0], std::nullopt);
    EXPECT_EQ(sim.capturer.requests[1].width, 3024);
    EXPECT_EQ(sim.capturer.requests[1].height, 1964);
    EXPECT_EQ(sim.capturer.requests[1].including, std::nullopt);
}

TEST_F(GrabTest, AGoneDisplayIsReplacedByTheFirstWithItsOwnBounds) {
    auto gone = screen(9, {{-1000, 0}, {1000, 800}}, 1);
    auto grabbed = Capture::grab(sim, gone, std::nullopt);
    ASSERT_TRUE(grabbed.shot);
    EXPECT_EQ(sim.capturer.requests[0].displayId, 1);
    EXPECT_EQ(sim.capturer.requests[0].width, 3024);
    EXPECT_EQ(grabbed.shot->bounds, (Rect{{0, 0}, {1512, 982}}));
}

TEST_F(GrabTest, RevealLetsInOnlyAWindowSeenOnThatDisplay) {
    auto window = std::static_pointer_cast<sim::SimPageWindow>(sim.pageWindows.makePageWindow({}));
    window->setFrame({{1600, 100}, {800, 600}});
    window->orderFront();
    window->setSharingType(platform::SharingType::none);
    auto& left = sim.displays.list[0];
    auto& right = sim.displays.list[1];

    window->miniaturized = true;
    EXPECT_EQ(Capture::reveal(sim, window.get(), right), std::nullopt);
    window->miniaturized = false;
    window->covered = true;
    EXPECT_EQ(Capture::reveal(sim, window.get(), right), std::nullopt);
    window->covered = false;
    EXPECT_EQ(Capture::reveal(sim, window.get(), left), std::nullopt);
    EXPECT_EQ(window->sharing, platform::SharingType::none);

    EXPECT_EQ(Capture::reveal(sim, window.get(), right), window->windowNumber());
    EXPECT_EQ(window->sharing, platform::SharingType::readOnly);
    EXPECT_EQ(Capture::reveal(sim, nullptr, right), std::nullopt);
}

}  // namespace
}  // namespace nimbo
