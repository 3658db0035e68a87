#include "platform/linux/media/HeaderSniff.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace nimbo::media {
namespace {

constexpr size_t kMostRead = 256 * 1024;
constexpr double kMetresPerInch = 0.0254;

uint32_t big32(const uint8_t* at) {
    return (uint32_t(at[0]) << 24) | (uint32_t(at[1]) << 16) | (uint32_t(at[2]) << 8) | at[3];
}

uint16_t big16(const uint8_t* at) {
    return static_cast<uint16_t>((at[0] << 8) | at[1]);
}

// The chunks before the pixels: IHDR's colour type, a transparency chunk,
// the physical pixel size.
Sniffed png(const std::vector<uint8_t>& bytes) {
    Sniffed out;
    size_t at = 8;
    while (at + 8 <= bytes.size()) {
        const uint32_t length = big32(&bytes[at]);
        const char* type = reinterpret_cast<const char*>(&bytes[at + 4]);
        const size_t data = at + 8;
        if (length > bytes.size() || data + length > bytes.size()) break;
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13) {
            const uint8_t colour = bytes[data + 9];
            out.alpha = (colour & 4) != 0;
            out.colorModel = (colour & 2) != 0 || colour == 3 ? "RGB" : "Gray";
        } else if (std::memcmp(type, "tRNS", 4) == 0) {
            out.alpha = true;
        } else if (std::memcmp(type, "pHYs", 4) == 0 && length >= 9 && bytes[data + 8] == 1) {
            out.dpi = big32(&bytes[data]) * kMetresPerInch;
        } else if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        at = data + length + 4;  // and the checksum
    }
    return out;
}

// The frame header's component count.
Sniffed jpeg(const std::vector<uint8_t>& bytes) {
    Sniffed out;
    out.alpha = false;
    size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (bytes[at] != 0xFF) break;
        const uint8_t marker = bytes[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        const uint16_t length = big16(&bytes[at + 2]);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && length >= 8 && at + 2 + 8 <= bytes.size()) {
            switch (bytes[at + 2 + 7]) {
                case 1:
                    out.colorModel = "Gray";
                    break;
                case 3:
                    out.colorModel = "RGB";
                    break;
                case 4:
                    out.colorModel = "CMYK";
                    break;
                default:
                    break;
            }
            break;
        }
        if (marker == 0xDA || length < 2) break;  // the pixels start
        at += 2 + length;
    }
    return out;
}

}  // namespace

Sniffed sniffHeader(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {};
    std::vector<uint8_t> bytes(kMostRead);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(file.gcount()));
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPng, 8) == 0) return png(bytes);
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return jpeg(bytes);
    return {};
}

}  // namespace nimbo::media
