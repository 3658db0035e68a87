#pragma once
// Simulated picture work: records what was asked, scales by nearest pixel,
// computes real grey values, and writes stand-in JPEG bytes that say what
// they hold ("JPEG <width>x<height> q<quality>").
#include <mutex>
#include <vector>

#include "platform/Images.h"

namespace nimbo::sim {

class SimImages : public platform::Images {
public:
    struct Request {
        int width = 0;  // of the image handed in
        int height = 0;
        int toWidth = 0;  // asked for (scaled, linearGrey)
        int toHeight = 0;
        double quality = 0;     // jpeg
        platform::Image image;  // what was handed in
    };

    std::optional<platform::Image> scaled(const platform::Image& image, int width, int height) override;
    std::optional<std::vector<std::uint8_t>> jpeg(const platform::Image& image, double quality) override;
    std::optional<std::vector<std::uint8_t>> linearGrey(const platform::Image& image, int width, int height) override;

    // An image of one colour.
    static platform::Image solid(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // `image` at width × height by nearest pixel.
    static platform::Image nearest(const platform::Image& image, int width, int height);

    std::vector<Request> scales;
    std::vector<Request> jpegs;
    std::vector<Request> greys;
    bool scaleFails = false;
    bool jpegFails = false;
    bool greyFails = false;

private:
    std::mutex lock_;
};

}  // namespace nimbo::sim
