#include "platform/linux/media/VideoFiles.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include <cmath>
#include <mutex>

namespace nimbo::media {
namespace {

// How much of a file the probe may read, and how much of its time it may
// look at, before it answers with what it found.
constexpr const char* kProbeBytes = "5000000";
constexpr const char* kProbeMicroseconds = "5000000";

double seconds(AVRational rate) {
    return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0.0;
}

// A 3×3 display matrix of 16.16 fixed-point numbers (the last column 2.30),
// row by row: a b u / c d v / tx ty w.
platform::AffineTransform transformOf(const int32_t* matrix) {
    auto fixed = [&](int index) { return matrix[index] / 65536.0; };
    return {fixed(0), fixed(1), fixed(3), fixed(4), fixed(6), fixed(7)};
}

const int32_t* displayMatrix(const AVStream* stream) {
#if LIBAVFORMAT_VERSION_MAJOR >= 61
    const AVPacketSideData* data = av_packet_side_data_get(
        stream->codecpar->coded_side_data, stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    if (!data || data->size < 9 * sizeof(int32_t)) return nullptr;
    return reinterpret_cast<const int32_t*>(data->data);
#else
    size_t size = 0;
    const uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!data || size < 9 * sizeof(int32_t)) return nullptr;
    return reinterpret_cast<const int32_t*>(data);
#endif
}

}  // namespace

std::optional<platform::VideoTracks> readVideo(const std::string& path) {
    // FFmpeg's own complaints about a damaged file go nowhere.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });

    AVDictionary* options = nullptr;
    av_dict_set(&options, "probesize", kProbeBytes, 0);
    av_dict_set(&options, "analyzeduration", kProbeMicroseconds, 0);
    AVFormatContext* context = nullptr;
    const int opened = avformat_open_input(&context, path.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0) return std::nullopt;

    platform::VideoTracks tracks;
    if (avformat_find_stream_info(context, nullptr) >= 0) {
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream* stream = context->streams[i];
            const AVCodecParameters* codec = stream->codecpar;
            if (codec->codec_type == AVMEDIA_TYPE_AUDIO) tracks.hasAudio = true;
            // Cover art is a still picture, not a track of the film.
            if (codec->codec_type != AVMEDIA_TYPE_VIDEO || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0 ||
                tracks.hasVideo) {
                continue;
            }
            tracks.hasVideo = true;
            if (codec->width > 0 && codec->height > 0) {
                double width = codec->width;
                // The track's size is as shown: non-square pixels widen it.
                if (codec->sample_aspect_ratio.num > 0 && codec->sample_aspect_ratio.den > 0) {
                    width *= av_q2d(codec->sample_aspect_ratio);
                }
                tracks.naturalSize = Size{width, double(codec->height)};
            }
            if (const int32_t* matrix = displayMatrix(stream)) tracks.transform = transformOf(matrix);
            tracks.frameRate = seconds(stream->avg_frame_rate);
            if (tracks.frameRate <= 0) tracks.frameRate = seconds(stream->r_frame_rate);
        }
        if (context->duration != AV_NOPTS_VALUE && context->duration >= 0) {
            tracks.seconds = double(context->duration) / AV_TIME_BASE;
        }
    }
    avformat_close_input(&context);
    return tracks;
}

}  // namespace nimbo::media
