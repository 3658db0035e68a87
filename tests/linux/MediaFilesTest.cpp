// Picture and video files made by the test, read by the real backend:
// GdkPixbuf for pictures, libavformat for videos.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>
#include <lcms2.h>
#include <sys/resource.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "Desktop.h"
#include "platform/linux/media/MediaFiles.h"
#include "screen/Elements.h"
#include "screen/FileFacts.h"

namespace nimbo::test {
namespace {

// A picture of straight RGBA, each pixel from `colour(x, y)`.
GdkPixbuf* pixbuf(int width, int height, bool alpha, uint32_t (*colour)(int, int)) {
    GdkPixbuf* made = gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha, 8, width, height);
    const int channels = gdk_pixbuf_get_n_channels(made);
    for (int y = 0; y < height; ++y) {
        guchar* row = gdk_pixbuf_get_pixels(made) + static_cast<ptrdiff_t>(y) * gdk_pixbuf_get_rowstride(made);
        for (int x = 0; x < width; ++x) {
            const uint32_t rgba = colour(x, y);
            for (int c = 0; c < channels; ++c) row[x * channels + c] = static_cast<guchar>(rgba >> (24 - 8 * c));
        }
    }
    return made;
}

std::string srgbProfile() {
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    cmsUInt32Number length = 0;
    cmsSaveProfileToMem(profile, nullptr, &length);
    std::string bytes(length, '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &length);
    cmsCloseProfile(profile);
    gchar* encoded = g_base64_encode(reinterpret_cast<const guchar*>(bytes.data()), bytes.size());
    std::string out = encoded;
    g_free(encoded);
    return out;
}

void save(GdkPixbuf* picture, const std::string& path, const char* type, std::vector<const char*> keys,
          std::vector<const char*> values) {
    keys.push_back(nullptr);
    values.push_back(nullptr);
    GError* error = nullptr;
    ASSERT_TRUE(gdk_pixbuf_savev(picture, path.c_str(), type, const_cast<char**>(keys.data()),
                                 const_cast<char**>(values.data()), &error))
        << (error ? error->message : "");
    g_object_unref(picture);
}

void bigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void chunk(std::string& out, const char* type, const std::string& data) {
    bigEndian(out, static_cast<uint32_t>(data.size()));
    std::string typed = std::string(type, 4) + data;
    out += typed;
    bigEndian(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
}

// A valid black-and-white PNG of side × side pixels, its rows deflated as they are made.
std::string hugePng(uint32_t side) {
    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    bigEndian(header, side);
    bigEndian(header, side);
    header += std::string("\x01\x00\x00\x00\x00", 5);  // 1 bit, grey
    chunk(out, "IHDR", header);
    z_stream stream{};
    deflateInit(&stream, 9);
    std::string row(1 + (side + 7) / 8, '\0'), data, buffer(1 << 16, '\0');
    for (uint32_t y = 0; y <= side; ++y) {
        stream.next_in = reinterpret_cast<Bytef*>(row.data());
        stream.avail_in = y < side ? static_cast<uInt>(row.size()) : 0;
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer.data());
            stream.avail_out = static_cast<uInt>(buffer.size());
            deflate(&stream, y < side ? Z_NO_FLUSH : Z_FINISH);
            data.append(buffer.data(), buffer.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    chunk(out, "IDAT", data);
    chunk(out, "IEND", "");
    return out;
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool ffmpeg(const std::string& arguments) {
    return std::system(("ffmpeg -nostdin -loglevel error -y " + arguments).c_str()) == 0;
}

TEST(MediaFiles, PicturesGiveTheirHeaderAndARenderingNoLargerThanAsked) {
    TempDir folder;
    media::MediaFiles files;

    // Left half opaque red, right half see-through; 300 dots an inch.
    const std::string png = folder.path() + "/logo.png";
    save(pixbuf(300, 200, true, [](int x, int) -> uint32_t { return x < 150 ? 0xFF0000FFU : 0x00000000U; }), png, "png",
         {"x-dpi", "y-dpi"}, {"300", "300"});
    auto logo = files.image(png, 256);
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->header.width, 300);
    EXPECT_EQ(logo->header.height, 200);
    ASSERT_TRUE(logo->header.dpi);
    EXPECT_NEAR(*logo->header.dpi, 300.0, 0.01);
    EXPECT_EQ(logo->header.alpha, true);
    EXPECT_EQ(logo->header.profile, std::nullopt);
    EXPECT_EQ(logo->header.colorModel, "RGB");
    ASSERT_TRUE(logo->thumbnail);
    EXPECT_EQ(logo->thumbnail->width, 256);
    EXPECT_EQ(logo->thumbnail->height, 171);
    EXPECT_EQ(files.fileSize(png), std::filesystem::file_size(png));

    // Through the whole measure: half the picture is see-through, the rest red.
    Elements::attach(desktop());
    auto facts = FileFacts::measure("file://" + png);
    Elements::detach(desktop());
    ASSERT_TRUE(facts);
    EXPECT_EQ((*facts)["dpi"], 300);
    EXPECT_NEAR((*facts)["transparentShare"].get<double>(), 0.5, 0.01);
    EXPECT_EQ((*facts)["cornersTransparent"], false);
    EXPECT_EQ((*facts)["colors"], Json({"#FF0000"}));

    // A JPEG smaller than asked is rendered as it is; its profile is named.
    const std::string jpeg = folder.path() + "/scan.JPG";
    const std::string profile = srgbProfile();
    save(pixbuf(120, 80, false, [](int, int) -> uint32_t { return 0x808080FFU; }), jpeg, "jpeg",
         {"x-dpi", "y-dpi", "icc-profile"}, {"72", "72", profile.c_str()});
    auto scan = files.image(jpeg, 256);
    ASSERT_TRUE(scan);
    EXPECT_EQ(scan->header.alpha, false);
    EXPECT_EQ(scan->header.dpi, 72.0);
    EXPECT_EQ(scan->header.profile, "sRGB built-in");
    EXPECT_EQ(scan->header.colorModel, "RGB");
    ASSERT_TRUE(scan->thumbnail);
    EXPECT_EQ(scan->thumbnail->width, 120);
    EXPECT_EQ(scan->thumbnail->height, 80);

    const std::string text = folder.path() + "/notes.png";
    writeFile(text, "not a picture at all");
    EXPECT_EQ(files.image(text, 256), std::nullopt);
}

TEST(MediaFiles, AHugePictureIsToldFromItsHeaderWithoutDecodingIt) {
    TempDir folder;
    const std::string path = folder.path() + "/huge.png";
    {
        std::ofstream out(path, std::ios::binary);
        out << hugePng(30000);
    }
    media::MediaFiles files;
    const long before = peakKilobytes();
    auto huge = files.image(path, 256);
    const long grown = peakKilobytes() - before;
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->header.width, 30000);
    EXPECT_EQ(huge->header.height, 30000);
    EXPECT_EQ(huge->header.colorModel, "Gray");
    EXPECT_EQ(huge->header.alpha, false);
    EXPECT_FALSE(huge->thumbnail);
    // Decoded, it would take 3.6 GB.
    EXPECT_LT(grown, 16 * 1024) << "kilobytes";
    std::printf("peak memory grew by %ld kB reading the 30000 x 30000 picture\n", grown);
}

TEST(MediaFiles, VideosGiveTheirShownSizeRateLengthAndSound) {
    TempDir folder;
    const std::string portrait = folder.path() + "/portrait.mp4";
    const std::string silent = folder.path() + "/silent.mp4";
    const std::string upright = folder.path() + "/upright.mp4";
    ASSERT_TRUE(
        ffmpeg("-f lavfi -i testsrc=size=192x108:rate=30 -f lavfi -i sine=frequency=440 -t 2 "
               "-c:v mpeg4 -c:a aac " +
               upright));
    // Turned a quarter in the track's display matrix, the pictures as they are.
    ASSERT_TRUE(ffmpeg("-i " + upright + " -c copy -metadata:s:v:0 rotate=90 " + portrait));
    ASSERT_TRUE(ffmpeg("-f lavfi -i testsrc=size=160x120:rate=25 -t 1 -c:v mpeg4 " + silent));
    media::MediaFiles files;

    Elements::attach(desktop());
    auto turned = FileFacts::measure("file://" + portrait);
    auto quiet = FileFacts::measure("file://" + silent);
    Elements::detach(desktop());
    ASSERT_TRUE(turned);
    EXPECT_EQ((*turned)["kind"], "video");
    EXPECT_EQ((*turned)["width"], 108);
    EXPECT_EQ((*turned)["height"], 192);
    EXPECT_NEAR((*turned)["fps"].get<double>(), 30.0, 0.01);
    EXPECT_NEAR((*turned)["seconds"].get<double>(), 2.0, 0.1);
    EXPECT_EQ((*turned)["audio"], true);
    ASSERT_TRUE(quiet);
    EXPECT_EQ((*quiet)["width"], 160);
    EXPECT_EQ((*quiet)["audio"], false);

    // Sound alone has no video track; a picture is no video.
    const std::string sound = folder.path() + "/sound.mp4";
    ASSERT_TRUE(ffmpeg("-f lavfi -i sine=frequency=440 -t 1 -c:a aac " + sound));
    auto soundTracks = files.videoTracks(sound);
    ASSERT_TRUE(soundTracks);
    EXPECT_FALSE(soundTracks->hasVideo);
    EXPECT_TRUE(soundTracks->hasAudio);
    writeFile(folder.path() + "/text.mp4", "no video here");
    EXPECT_EQ(files.videoTracks(folder.path() + "/text.mp4"), std::nullopt);
}

TEST(MediaFiles, AVideoThatLiesAboutItselfGivesFactsOrNothing) {
    TempDir folder;
    const std::string original = folder.path() + "/clip.mp4";
    ASSERT_TRUE(ffmpeg("-f lavfi -i testsrc=size=64x48:rate=10 -t 1 -c:v mpeg4 " + original));
    const std::string bytes = readFile(original);
    media::MediaFiles files;
    const std::string lying = folder.path() + "/lying.mp4";
    auto tell = [&](std::string edited) {
        writeFile(lying, edited);
        Elements::attach(desktop());
        auto facts = FileFacts::measure("file://" + lying);
        Elements::detach(desktop());
        if (facts) {
            EXPECT_EQ((*facts)["kind"], "video");
        }
    };

    // The movie's length and time scale as the largest numbers there are,
    // then as nothing; the track's width and height as 65535.9 and 0.
    const size_t movie = bytes.find("mvhd");
    const size_t track = bytes.find("tkhd");
    ASSERT_NE(movie, std::string::npos);
    ASSERT_NE(track, std::string::npos);
    for (const char fill : {'\xFF', '\0'}) {
        std::string edited = bytes;
        std::memset(&edited[movie + 4 + 12], fill, 8);  // time scale and duration
        tell(edited);
        edited = bytes;
        std::memset(&edited[track + 4 + 76], fill, 4);  // width
        std::memset(&edited[track + 4 + 80], 0, 4);     // height
        tell(edited);
        // The sample description's own width and height.
        if (const size_t entry = bytes.find("mp4v"); entry != std::string::npos) {
            edited = bytes;
            std::memset(&edited[entry + 4 + 24], fill, 2);
            std::memset(&edited[entry + 4 + 26], 0, 2);
            tell(edited);
        }
    }
    tell(bytes.substr(0, bytes.size() / 2));

    // Bytes changed at random, as a damaged download has them.
    std::mt19937 random(20261206);
    for (int round = 0; round < 60; ++round) {
        std::string edited = bytes;
        for (int i = 0; i < 8; ++i) edited[random() % edited.size()] = static_cast<char>(random());
        tell(edited);
    }
}

}  // namespace
}  // namespace nimbo::test
