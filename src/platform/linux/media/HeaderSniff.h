#pragma once
// What the first bytes of a PNG or JPEG file say about the picture, read
// without a decoder: GdkPixbuf hands every picture over as RGB, and tells
// nothing of a picture it is not asked to decode.
#include <optional>
#include <string>

namespace nimbo::media {

struct Sniffed {
    std::optional<bool> alpha;
    std::optional<double> dpi;  // horizontal
    std::optional<std::string> colorModel;
};

// Reads at most the first 256 KiB; nothing for other kinds of file.
Sniffed sniffHeader(const std::string& path);

}  // namespace nimbo::media
