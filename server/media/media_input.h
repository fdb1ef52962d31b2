// One channel's source as libavformat opens it (a media file, or a live
// input: udp://, rtp://, http(s):// including HLS, rtsp://), with its best
// video and sound streams decoded. Every blocking step of FFmpeg is bounded:
// an interrupt callback ends it when its time is up or when the owner asks
// to stop, so a dead input can never hang the pipeline's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <string>

#include "media/ffmpeg_handles.h"

namespace kestrova::server::media {

class MediaInput {
 public:
  static constexpr std::chrono::seconds kOpenTime{10};
  // A live input that sends nothing for this long is taken for dead.
  static constexpr std::chrono::seconds kSilenceTime{4};

  enum class Got { kPicture, kSound, kEnd, kFailed };

  MediaInput(std::string address, const std::atomic<bool>& stop);
  MediaInput(const MediaInput&) = delete;
  MediaInput& operator=(const MediaInput&) = delete;

  // Opens the source and its decoders; empty on success, else why not.
  std::string Open();

  // A file-like source: a known length and seekable, so that it can be
  // played as a loop.
  bool Loops() const { return loops_; }
  double Duration() const { return duration_; }
  // The programme title the source announces (a title tag, a service name).
  const std::string& Title() const { return title_; }
  const AVStream* VideoStream() const { return video_stream_; }

  // To `seconds` after the start (files only); false when the seek failed.
  bool Seek(double seconds);
  // Decodes up to the next picture or piece of sound: `frame` then holds it
  // (valid until the next call) and `at` its time in seconds on the
  // source's clock (from the start, for files; NaN when it has none).
  // kEnd at the end of a file, kFailed with `why` when the input broke off
  // or was stopped.
  Got Next(AVFrame*& frame, double& at, std::string& why);

 private:
  static int Interrupted(void* self);
  void Arm(std::chrono::steady_clock::duration limit);
  std::string OpenDecoder(AVStream* stream, CodecHandle& decoder);
  bool Receive(AVCodecContext* decoder, const AVStream* stream, double& at);
  bool SendEnd();

  std::string address_;
  const std::atomic<bool>& stop_;
  // When the current blocking step must end (steady clock, nanoseconds).
  std::atomic<long long> deadline_{0};

  FormatHandle format_;
  CodecHandle video_;
  CodecHandle sound_;
  AVStream* video_stream_ = nullptr;
  AVStream* sound_stream_ = nullptr;
  PacketHandle packet_{av_packet_alloc()};
  FrameHandle frame_{av_frame_alloc()};
  bool loops_ = false;
  double duration_ = 0;
  double start_ = 0;  // the file's first time stamp, seconds
  std::string title_;
  bool draining_ = false;  // end of input reached; decoders give what they hold
};

}  // namespace kestrova::server::media
