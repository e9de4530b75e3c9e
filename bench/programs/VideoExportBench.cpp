// Measures the framed-video pipeline for bench/video.sh.
//   video_export_bench composite RECORDING FRAME_PNG mp4|prores-4444
// decodes the recording, converts each picture to the export's layout and
// composites it into the frame; prints the seconds spent converting and
// compositing (wall clock and CPU), which is everything an export adds to
// decoding and encoding.
#include "frames/InspectFrame.h"
#include "frames/LoadedFrame.h"
#include "video/FrameCompositor.h"
#include "video/RecordingDecoder.h"
#include "video/VideoSource.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

using namespace cadrelle;

namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Decodes every picture; returns the wall and CPU seconds spent converting
// and compositing them.
void composite(const std::filesystem::path& input, const LoadedFrame& frame,
               CompositeLayout layout) {
    CaptureExportControl control;
    VideoSource source(input, control);
    RecordingDecoder decoder(source);
    const auto& asset = frame.asset();
    FrameCompositor compositor(frame, static_cast<int>((asset.pixelWidth + 1) / 2 * 2),
                               static_cast<int>((asset.pixelHeight + 1) / 2 * 2), layout);
    PacketPtr packet = makePacket();
    long frames = 0;
    double wall = 0, cpu = 0;
    const auto start = std::chrono::steady_clock::now();
    const auto take = [&] {
        while (const AVFrame* decoded = decoder.receiveDecoded()) {
            const auto before = std::chrono::steady_clock::now();
            const double cpuBefore = threadSeconds();
            compositor.compose(*decoder.upright(*decoded, compositor.recordingFormat()));
            cpu += threadSeconds() - cpuBefore;
            wall +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
            ++frames;
        }
    };
    while (av_read_frame(source.context(), packet.get()) >= 0) {
        if (packet->stream_index == source.videoIndex()) {
            decoder.send(packet.get());
            take();
        }
        av_packet_unref(packet.get());
    }
    decoder.send(nullptr);
    take();
    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("frames %ld decode+composite %.3f s composite wall %.3f s cpu %.3f s\n", frames,
                total, wall, cpu);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::string(argv[1]) != "composite") {
        std::fprintf(stderr, "usage: %s composite RECORDING FRAME_PNG mp4|prores-4444\n", argv[0]);
        return 2;
    }
    FrameInspection inspection = inspectFrameWithImage(argv[3]);
    const LoadedFrame frame(std::move(inspection.asset), std::move(inspection.image),
                            std::move(inspection.mask));
    const CompositeLayout layout = std::string(argv[4]) == "mp4"
                                       ? CompositeLayout{AV_PIX_FMT_YUV420P, false}
                                       : CompositeLayout{AV_PIX_FMT_YUVA444P10LE, false};
    composite(argv[2], frame, layout);
    return 0;
}
