// The facts of the picture or video file in front, on files the simulated
// desktop describes.
#include "screen/FileFacts.h"

#include <gmock/gmock.h>

#include "screen/ScreenDesktop.h"

namespace nimbo {
namespace {

using ::testing::UnorderedElementsAre;

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

// A picture of `width` × `height` whose first `counts[i]` pixels (after those
// before) are `colours[i]`, premultiplied as given.
platform::Thumbnail picture(int width, int height, const std::vector<std::pair<size_t, Rgba>>& runs) {
    platform::Thumbnail out{width, height, {}};
    for (const auto& [count, colour] : runs) {
        for (size_t i = 0; i < count; ++i) out.rgba.insert(out.rgba.end(), {colour.r, colour.g, colour.b, colour.a});
    }
    return out;
}

class FileFactsTest : public testing::ScreenDesktop {
protected:
    // The front application's focused window shows `document`.
    void showing(const platform::AXValue& document) {
        auto root = window(7, {{0, 0}, {800, 600}});
        sim.ax.apps[7].root->attributes["AXFocusedWindow"] = platform::AXRef(root);
        root->attributes["AXDocument"] = document;
        front(7);
    }
};

TEST_F(FileFactsTest, FrontPictureIsMeasuredWithEveryStatedProperty) {
    const std::string path = "/home/me/Shots/Logo Final.PNG";
    sim.media.sizes[path] = 48213;
    platform::ImageHeader header{512, 256, 72.5, true, "Display P3", "RGB"};
    sim.media.images[path] = {header, picture(256, 128, {{256 * 128, {0, 0, 0, 15}}})};
    showing(platform::AXUrl{"file:///home/me/Shots/Logo%20Final.PNG"});

    auto facts = FileFacts::front();

    ASSERT_TRUE(facts);
    EXPECT_EQ(*facts, Json({{"name", "Logo Final.PNG"},
                            {"type", "png"},
                            {"bytes", 48213},
                            {"kind", "image"},
                            {"width", 512},
                            {"height", 256},
                            {"dpi", 73},
                            {"alpha", true},
                            {"profile", "Display P3"},
                            {"colorModel", "RGB"},
                            {"transparentShare", 1.0},
                            {"cornersTransparent", true},
                            {"colors", Json::array()}}));
    EXPECT_EQ(sim.media.thumbnailSizes, std::vector<int>{256});

    // One step more opaque and no pixel, corners included, is see-through.
    sim.media.images[path].thumbnail = picture(256, 128, {{256 * 128, {0, 0, 0, 16}}});
    auto faint = FileFacts::front();
    ASSERT_TRUE(faint);
    EXPECT_EQ((*faint)["transparentShare"], 0.0);
    EXPECT_EQ((*faint)["cornersTransparent"], false);
}

TEST_F(FileFactsTest, OnlyPictureAndVideoFilesInFrontGiveFacts) {
    sim.media.sizes["/home/me/report.pdf"] = 1000;
    sim.media.sizes["/home/me/notes.txt"] = 10;
    showing(std::string("file:///home/me/report.pdf"));
    EXPECT_EQ(FileFacts::front(), std::nullopt);
    showing(std::string("file:///home/me/notes.txt"));
    EXPECT_EQ(FileFacts::front(), std::nullopt);

    // A picture on the web is not a file; nor is what the shell itself shows.
    sim.media.images["/a.png"] = {platform::ImageHeader{}, std::nullopt};
    showing(std::string("https://example.com/a.png"));
    EXPECT_EQ(FileFacts::front(), std::nullopt);
    showing(std::string("file:///a.png"));
    EXPECT_TRUE(FileFacts::front());
    sim.app.pid = 7;
    EXPECT_EQ(FileFacts::front(), std::nullopt);
}

TEST_F(FileFactsTest, CapitalisedPictureOfTwoColoursGivesBothAndNothingUnstated) {
    sim.media.images["/p/HALF.JPG"] = {platform::ImageHeader{},
                                       picture(10, 10, {{50, {255, 0, 0, 255}}, {50, {0, 0, 255, 255}}})};

    auto facts = FileFacts::measure("file:///p/HALF.JPG");

    ASSERT_TRUE(facts);
    EXPECT_EQ((*facts)["type"], "jpg");
    EXPECT_EQ((*facts)["kind"], "image");
    EXPECT_EQ((*facts)["width"], 0);
    EXPECT_EQ((*facts)["alpha"], false);
    for (const char* unstated : {"bytes", "dpi", "profile", "colorModel"}) EXPECT_FALSE(facts->contains(unstated));
    EXPECT_EQ((*facts)["transparentShare"], 0.0);
    EXPECT_EQ((*facts)["cornersTransparent"], false);
    EXPECT_THAT((*facts)["colors"].get<std::vector<std::string>>(), UnorderedElementsAre("#FF0000", "#0000FF"));

    // A picture that can't be rendered keeps what its header says.
    sim.media.images["/p/HALF.JPG"].thumbnail.reset();
    auto unrendered = FileFacts::measure("file:///p/HALF.JPG");
    ASSERT_TRUE(unrendered);
    EXPECT_FALSE(unrendered->contains("colors"));
    sim.media.images.clear();
    EXPECT_EQ(FileFacts::measure("file:///p/HALF.JPG"), std::nullopt);
}

TEST_F(FileFactsTest, ColoursOverATwentiethOfTheOpaquePixelsAreListedMostFirstAtMostFour) {
    // 20 of 400 opaque pixels is exactly a twentieth: not listed. The
    // see-through pixels count for neither side.
    const Rgba red{255, 0, 0, 255};
    const Rgba clear{0, 0, 0, 0};
    // Half-transparent green, undone in integers: 64 × 255 / 128 = 127.
    const Rgba green{0, 64, 0, 128};
    sim.media.images["/a.png"] = {platform::ImageHeader{}, picture(10, 41, {{10, clear}, {380, red}, {20, green}})};
    auto exact = FileFacts::measure("file:///a.png");
    ASSERT_TRUE(exact);
    EXPECT_EQ((*exact)["colors"], Json({"#FF0000"}));
    EXPECT_EQ((*exact)["cornersTransparent"], false);

    sim.media.images["/a.png"].thumbnail = picture(10, 41, {{9, clear}, {380, red}, {21, green}});
    auto over = FileFacts::measure("file:///a.png");
    ASSERT_TRUE(over);
    EXPECT_EQ((*over)["colors"], Json({"#FF0000", "#007F00"}));

    const Rgba colours[] = {
        {0, 0, 255, 255}, {255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}, {255, 255, 255, 255}};
    sim.media.images["/a.png"].thumbnail =
        picture(10, 10, {{21, colours[0]}, {20, colours[1]}, {22, colours[2]}, {18, colours[3]}, {19, colours[4]}});
    auto many = FileFacts::measure("file:///a.png");
    ASSERT_TRUE(many);
    EXPECT_EQ((*many)["colors"], Json({"#00FFFF", "#0000FF", "#FFFF00", "#FFFFFF"}));
}

TEST_F(FileFactsTest, VideoSizeIsAfterItsTransformAndSoundAndDurationAreTold) {
    platform::VideoTracks portrait;
    portrait.hasVideo = true;
    portrait.naturalSize = Size{1920, 1080};
    portrait.transform = {0, 1, -1, 0, 1080, 0};  // a quarter turn
    portrait.frameRate = 29.97;
    portrait.seconds = 12.5;
    portrait.hasAudio = true;
    sim.media.videos["/v/clip.MOV"] = portrait;
    sim.media.sizes["/v/clip.MOV"] = 9000000;

    EXPECT_EQ(FileFacts::measure("file:///v/clip.MOV"), Json({{"name", "clip.MOV"},
                                                              {"type", "mov"},
                                                              {"bytes", 9000000},
                                                              {"kind", "video"},
                                                              {"width", 1080},
                                                              {"height", 1920},
                                                              {"fps", 29.97},
                                                              {"seconds", 12.5},
                                                              {"audio", true}}));

    // Silent, of unknown length, and scaled to a size that rounds half away from zero.
    auto& silent = sim.media.videos["/v/clip.MOV"];
    silent.hasAudio = false;
    silent.seconds.reset();
    silent.transform = {0.5, 0, 0, -0.5, 0, 0};
    silent.naturalSize = Size{641, 361};
    auto facts = FileFacts::measure("file:///v/clip.MOV");
    ASSERT_TRUE(facts);
    EXPECT_EQ((*facts)["audio"], false);
    EXPECT_FALSE(facts->contains("seconds"));
    EXPECT_EQ((*facts)["width"], 321);
    EXPECT_EQ((*facts)["height"], 181);

    // No video track, or a size that is no size: nothing.
    silent.naturalSize = Size{1e300, 1080};
    EXPECT_EQ(FileFacts::measure("file:///v/clip.MOV"), std::nullopt);
    silent.naturalSize = Size{1920, 1080};
    silent.hasVideo = false;
    EXPECT_EQ(FileFacts::measure("file:///v/clip.MOV"), std::nullopt);
}

}  // namespace
}  // namespace nimbo
