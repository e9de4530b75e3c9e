#include "video/MediaInput.h"

#include "core/AppError.h"
#include "support/Messages.h"
#include "support/Mp4Maker.h"
#include "support/TempDir.h"
#include "video/AudioResampler.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

namespace cadrelle {
namespace {

const char* const kCannotDecode = "Cannot decode this recording.";

} // namespace

// What is not a media file fails with the sentence of the operation that
// opened it, or FFmpeg's words when it gives none; a pipe is refused before
// anything waits for its writer; a limit that has passed or a cancelled job
// stops the opening.
TEST(MediaInput, OpensOnlyRegularMediaFilesAndSaysWhyNot) {
    test::TempDir dir;
    CaptureExportControl control;
    const auto pipe = dir / "pipe.mp4";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(test::messageOf([&] { MediaInput(pipe, control, kCannotDecode); }),
              pipe.string() + ": This is not a regular file.");

    const auto garbage = dir / "garbage.mp4";
    std::ofstream(garbage, std::ios::binary) << std::string(4096, '\x5a');
    EXPECT_EQ(test::messageOf([&] { MediaInput(garbage, control, kCannotDecode); }), kCannotDecode);
    EXPECT_EQ(test::messageOf([&] { MediaInput(garbage, control, {}); }),
              "Invalid data found when processing input.");

    const auto movie = dir / "movie.mp4";
    test::makeMp4(movie, {.frames = 4, .audioChannels = 2});
    EXPECT_EQ(test::messageOf(
                  [&] { MediaInput(movie, control, kCannotDecode, std::chrono::milliseconds(0)); }),
              "Timed out reading the recording. Wait until Glimmerbox finishes saving it.");
    CaptureExportControl cancelled;
    cancelled.cancel();
    EXPECT_THROW(MediaInput(movie, cancelled, kCannotDecode), Cancelled);
}

// An opened movie names its best streams, opens their decoders, hands out
// every packet, and stops reading once the control it watches is cancelled.
TEST(MediaInput, FindsTheStreamsAndReadsEveryPacketUntilCancelled) {
    test::TempDir dir;
    const auto movie = dir / "movie.mp4";
    test::makeMp4(movie, {.frames = 5, .audioChannels = 1});
    CaptureExportControl control;
    MediaInput input(movie, control, kCannotDecode);
    input.watch(&control);
    const int video = input.bestStream(AVMEDIA_TYPE_VIDEO);
    const int audio = input.bestStream(AVMEDIA_TYPE_AUDIO, video);
    ASSERT_GE(video, 0);
    ASSERT_GE(audio, 0);
    EXPECT_NE(video, audio);
    EXPECT_EQ(input.bestStream(AVMEDIA_TYPE_SUBTITLE), -1);
    EXPECT_TRUE(MediaInput::openDecoder(input.stream(video), {.count = 2}, kCannotDecode));
    EXPECT_TRUE(MediaInput::openDecoder(input.stream(audio), {}, kCannotDecode));

    const PacketPtr packet = makePacket();
    int pictures = 0;
    while (input.read(*packet, "The recording is damaged or incomplete.")) {
        pictures += packet->stream_index == video ? 1 : 0;
        av_packet_unref(packet.get());
    }
    EXPECT_EQ(pictures, 5);

    MediaInput again(movie, control, kCannotDecode);
    again.watch(&control);
    control.cancel();
    EXPECT_THROW(again.read(*packet, "The recording is damaged or incomplete."), Cancelled);
}

// One second of stereo sound at 44.1 kHz comes out as one second at 48 kHz,
// planar for an encoder or interleaved for an audio output, once what the
// filter holds is taken at the end.
TEST(AudioResampler, KeepsTheLengthOfTheSoundInEitherLayout) {
    const CodecContextPtr decoder(avcodec_alloc_context3(nullptr));
    decoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    decoder->sample_rate = 44'100;
    av_channel_layout_default(&decoder->ch_layout, 2);
    AudioResampler planar(*decoder, {48'000, 2, AV_SAMPLE_FMT_FLTP}, "unused");
    AudioResampler interleaved(*decoder, {48'000, 2, AV_SAMPLE_FMT_S16}, "unused");

    const FramePtr input = makeFrame();
    input->format = AV_SAMPLE_FMT_FLTP;
    input->sample_rate = 44'100;
    input->nb_samples = 441;
    av_channel_layout_default(&input->ch_layout, 2);
    ASSERT_GE(av_frame_get_buffer(input.get(), 0), 0);
    for (int channel = 0; channel < 2; ++channel) {
        std::fill_n(reinterpret_cast<float*>(input->data[channel]), 441, 0.25f);
    }
    int planarSamples = 0;
    std::size_t bytes = 0;
    for (int i = 0; i < 100; ++i) {
        const AVFrame& out = planar.resample(input.get());
        EXPECT_EQ(out.format, AV_SAMPLE_FMT_FLTP);
        EXPECT_EQ(out.ch_layout.nb_channels, 2);
        planarSamples += out.nb_samples;
        bytes += interleaved.convert(*input).size();
    }
    planarSamples += planar.resample(nullptr).nb_samples;
    EXPECT_EQ(planarSamples, 48'000);
    EXPECT_EQ(bytes % 4, 0u) << "whole stereo 16-bit samples";
    EXPECT_NEAR(double(bytes) / 4, 48'000, 64) << "all but what the filter holds";
}

} // namespace cadrelle
