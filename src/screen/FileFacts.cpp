#include "screen/FileFacts.h"

#include <cmath>

#include "base/Url.h"
#include "screen/Desktop.h"
#include "screen/FileColours.h"

namespace nimbo::FileFacts {

const std::set<std::string> images{"png", "jpg", "jpeg", "tif", "tiff", "heic", "webp", "gif", "bmp"};
const std::set<std::string> videos{"mov", "mp4", "m4v"};

namespace {

// A front application that does not answer is given up on after this long.
constexpr double kMessagingTimeout = 0.5;
// The longer side of the picture whose colours are counted.
constexpr int kThumbnailSize = 256;
// Dimensions beyond this are a file's lie, not a size.
constexpr double kLargestDimension = 1e9;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The file system path a file URL names.
std::optional<std::string> filePath(const std::string& url) {
    auto parsed = Url::parse(url);
    if (!parsed || !parsed->isFile()) return std::nullopt;
    std::string path = percentDecoded(parsed->path());
    if (path.empty() || path.front() != '/') return std::nullopt;
    return path;
}

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>((c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c);
    return text;
}

// Rounded to the nearest whole number, halves away from zero; absent for
// what is no number or is out of all proportion.
std::optional<long long> rounded(double value) {
    if (!std::isfinite(value) || std::fabs(value) > kLargestDimension) return std::nullopt;
    return std::llround(value);
}

platform::MediaFacts* media() {
    auto* desktop = Elements::detail::desktop();
    return desktop ? &desktop->mediaFacts() : nullptr;
}

}  // namespace

MaybeJson front() {
    auto* desktop = Elements::detail::desktop();
    if (!desktop) return std::nullopt;
    auto frontApp = desktop->application().frontApplication();
    if (!frontApp || frontApp->pid == desktop->application().processId()) return std::nullopt;
    auto& ax = desktop->accessibility();
    auto app = ax.application(frontApp->pid);
    if (!app) return std::nullopt;
    ax.setMessagingTimeout(app, kMessagingTimeout);
    auto focused = ax.copy(app, "AXFocusedWindow");
    const auto* window = focused ? std::get_if<platform::AXRef>(&*focused) : nullptr;
    if (!window || !*window) return std::nullopt;
    auto document = ax.copy(*window, "AXDocument");
    if (!document) return std::nullopt;
    std::string address;
    if (const auto* url = std::get_if<platform::AXUrl>(&*document)) {
        address = url->address;
    } else if (const auto* text = std::get_if<std::string>(&*document)) {
        address = *text;
    } else {
        return std::nullopt;
    }
    auto parsed = Url::parse(address);
    if (!parsed || !parsed->isFile()) return std::nullopt;
    return measure(address);
}

MaybeJson measure(const std::string& url) {
    auto* files = media();
    auto path = filePath(url);
    if (!files || !path) return std::nullopt;
    std::string name = *path;
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    name = name.substr(name.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    const std::string type = dot == std::string::npos || dot == 0 ? "" : lowered(name.substr(dot + 1));

    Json facts{{"name", name}, {"type", type}};
    if (auto bytes = files->fileSize(*path)) facts["bytes"] = *bytes;
    if (images.contains(type)) return image(url, std::move(facts));
    if (videos.contains(type)) return video(url, std::move(facts));
    return std::nullopt;
}

MaybeJson image(const std::string& url, Json facts) {
    auto* files = media();
    auto path = filePath(url);
    if (!files || !path) return std::nullopt;
    auto file = files->image(*path, kThumbnailSize);
    if (!file) return std::nullopt;
    const platform::ImageHeader* header = &file->header;
    facts["kind"] = "image";
    facts["width"] = header->width.value_or(0);
    facts["height"] = header->height.value_or(0);
    if (header->dpi) {
        if (auto dpi = rounded(*header->dpi)) facts["dpi"] = *dpi;
    }
    facts["alpha"] = header->alpha.value_or(false);
    if (header->profile) facts["profile"] = *header->profile;
    if (header->colorModel) facts["colorModel"] = *header->colorModel;

    if (!file->thumbnail) return facts;
    auto seen = colours(*file->thumbnail);
    if (!seen) return facts;
    facts["transparentShare"] = seen->transparentShare;
    facts["cornersTransparent"] = seen->cornersTransparent;
    facts["colors"] = std::move(seen->colors);
    return facts;
}

MaybeJson video(const std::string& url, Json facts) {
    auto* files = media();
    auto path = filePath(url);
    if (!files || !path) return std::nullopt;
    auto tracks = files->videoTracks(*path);
    if (!tracks || !tracks->hasVideo || !tracks->naturalSize) return std::nullopt;
    const Size size = *tracks->naturalSize;
    const platform::AffineTransform& t = tracks->transform;
    auto width = rounded(std::fabs(t.a * size.width + t.c * size.height));
    auto height = rounded(std::fabs(t.b * size.width + t.d * size.height));
    if (!width || !height) return std::nullopt;
    facts["kind"] = "video";
    facts["width"] = *width;
    facts["height"] = *height;
    facts["fps"] = std::isfinite(tracks->frameRate) ? tracks->frameRate : 0.0;
    if (tracks->seconds && std::isfinite(*tracks->seconds)) facts["seconds"] = *tracks->seconds;
    facts["audio"] = tracks->hasAudio;
    return facts;
}

}  // namespace nimbo::FileFacts
