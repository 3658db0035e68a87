#include "platform/linux/image/JpegEncoding.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE

#include <jpeglib.h>

namespace nimbo::x11 {
namespace {

// libjpeg reports errors by calling error_exit, which must not return; it
// jumps back to encode() instead of ending the process.
struct ErrorJump {
    jpeg_error_mgr manager{};
    std::jmp_buf back{};
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->back, 1);
}

// Writes straight into a growing vector.
struct VectorDestination {
    jpeg_destination_mgr manager{};
    std::vector<std::uint8_t>* bytes = nullptr;
};

void startWriting(j_compress_ptr info) {
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->manager.next_output_byte = destination->bytes->data();
    destination->manager.free_in_buffer = destination->bytes->size();
}

boolean grow(j_compress_ptr info) {
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    std::vector<std::uint8_t>& bytes = *destination->bytes;
    const std::size_t used = bytes.size();  // a full buffer, as libjpeg asks only then
    bytes.resize(used * 2);
    destination->manager.next_output_byte = bytes.data() + used;
    destination->manager.free_in_buffer = bytes.size() - used;
    return TRUE;
}

void finishWriting(j_compress_ptr info) {
    auto* destination = reinterpret_cast<VectorDestination*>(info->dest);
    destination->bytes->resize(destination->bytes->size() - destination->manager.free_in_buffer);
}

// Only plain data between setjmp and longjmp: nothing here has a destructor
// that the jump would skip.
bool encode(const platform::Image& image, int quality, std::vector<std::uint8_t>& bytes) {
    jpeg_compress_struct info{};
    ErrorJump errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jumpBack;
    VectorDestination destination;
    destination.bytes = &bytes;
    destination.manager.init_destination = startWriting;
    destination.manager.empty_output_buffer = grow;
    destination.manager.term_destination = finishWriting;

    if (setjmp(errors.back)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    info.dest = &destination.manager;
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::uint8_t* pixels = image.pixels->data();
    while (info.next_scanline < info.image_height) {
        // libjpeg's row type is not const, though it only reads the rows.
        JSAMPROW row = const_cast<JSAMPROW>(pixels + static_cast<std::size_t>(info.next_scanline) * image.stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodeJpeg(const platform::Image& image, double quality) {
    if (image.empty() || image.stride < image.width * 4) return std::nullopt;
    if (image.pixels->size() <
        static_cast<std::size_t>(image.stride) * (image.height - 1) + static_cast<std::size_t>(image.width) * 4)
        return std::nullopt;
    const int percent = std::isnan(quality) ? 75 : static_cast<int>(std::lround(std::clamp(quality, 0.0, 1.0) * 100));
    // A screen compresses to a tenth or less; the buffer doubles if not.
    std::vector<std::uint8_t> bytes(
        std::max<std::size_t>(65536, static_cast<std::size_t>(image.width) * image.height / 8));
    if (!encode(image, std::max(percent, 1), bytes)) return std::nullopt;
    return bytes;
}

}  // namespace nimbo::x11
