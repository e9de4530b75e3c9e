#include "FfmpegHandles.h"

#include "core/AppError.h"
#include "core/FileError.h"

#include <cerrno>
#include <mutex>
#include <new>

namespace cadrelle {

void silenceFfmpegLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

FramePtr makeFrame() {
    FramePtr frame(av_frame_alloc());
    if (!frame) {
        throw std::bad_alloc();
    }
    return frame;
}

PacketPtr makePacket() {
    PacketPtr packet(av_packet_alloc());
    if (!packet) {
        throw std::bad_alloc();
    }
    return packet;
}

void throwOnFailure(int status, std::string_view failure, const std::string& path) {
    if (status >= 0) {
        return;
    }
    if (status == AVERROR_EXIT) {
        throw Cancelled();
    }
    if (status == AVERROR(ENOMEM)) {
        throw std::bad_alloc();
    }
    // FFmpeg reports system errors as negated errno values; those keep the
    // platform's own description.
    const int code = AVUNERROR(status);
    if (!path.empty() && code > 0 && code < 4096 && code != EINVAL && code != ENOSYS) {
        throw FileError(path, code);
    }
    if (!failure.empty()) {
        throw AppError(std::string(failure));
    }
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(status, text, sizeof text);
    throw AppError(std::string(text) + ".");
}

} // namespace cadrelle
