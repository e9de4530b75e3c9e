#include "WhyUnplayable.h"

#include "FfmpegHandles.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

namespace cadrelle {

std::optional<std::string> whyUnplayable(const std::filesystem::path& path) {
    silenceFfmpegLog();
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (opened < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, text, sizeof text);
        return std::string(text) + ".";
    }
    const InputContextPtr context(raw);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVCodecParameters& track = *context->streams[i]->codecpar;
        if (track.codec_type != AVMEDIA_TYPE_VIDEO) {
            continue;
        }
        if (avcodec_find_decoder(track.codec_id) == nullptr) {
            return "No decoder reads its video track.";
        }
        return std::nullopt;
    }
    return "It has no video track.";
}

} // namespace cadrelle
