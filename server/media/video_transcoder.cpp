#include "media/video_transcoder.h"

#include <ogg/ogg.h>

#include <cmath>
#include <fstream>
#include <memory>

#include "media/media_input.h"
#include "media/picture_scaler.h"
#include "media/sound_resampler.h"
#include "segment_encoder/theora_encoder.h"
#include "segment_encoder/vorbis_encoder.h"
#include "stream_qualities.h"

namespace kestrova::server::media {
namespace {

constexpr std::uint32_t kVideoSerial = 1;
constexpr std::uint32_t kSoundSerial = 2;

// Two logical streams written to a file as their pages fill: first the two
// identification pages, then the other headers, then data in the order it
// is encoded.
class OggFileWriter {
 public:
  explicit OggFileWriter(const std::filesystem::path& path) : out_(path, std::ios::binary | std::ios::trunc) {
    ogg_stream_init(&video_, static_cast<int>(kVideoSerial));
    ogg_stream_init(&sound_, static_cast<int>(kSoundSerial));
  }
  ~OggFileWriter() {
    ogg_stream_clear(&video_);
    ogg_stream_clear(&sound_);
  }
  OggFileWriter(const OggFileWriter&) = delete;
  OggFileWriter& operator=(const OggFileWriter&) = delete;

  ogg_stream_state& Video() { return video_; }
  ogg_stream_state& Sound() { return sound_; }
  // Header packets: a first page for each identification header, then the rest.
  void Header(ogg_stream_state& stream, ogg_packet& packet) {
    ogg_stream_packetin(&stream, &packet);
    if (packet.b_o_s != 0) Flush(stream);
  }
  void EndHeaders() {
    Flush(video_);
    Flush(sound_);
  }
  void Data(ogg_stream_state& stream, ogg_packet& packet) {
    ogg_stream_packetin(&stream, &packet);
    ogg_page page;
    while (ogg_stream_pageout(&stream, &page) != 0) Write(page);
  }
  bool Finish() {
    Flush(video_);
    Flush(sound_);
    out_.flush();
    return static_cast<bool>(out_);
  }

 private:
  void Flush(ogg_stream_state& stream) {
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) Write(page);
  }
  void Write(const ogg_page& page) {
    out_.write(reinterpret_cast<const char*>(page.header), page.header_len);
    out_.write(reinterpret_cast<const char*>(page.body), page.body_len);
  }

  std::ofstream out_;
  ogg_stream_state video_{};
  ogg_stream_state sound_{};
};

}  // namespace

std::string TranscodeVideo(const std::filesystem::path& source, int quality, const std::filesystem::path& out,
                           const std::atomic<bool>& stop) {
  const StreamQuality& q = kStreamQualities[static_cast<std::size_t>(ServedQuality(quality) - 1)];
  MediaInput input(source.string(), stop);
  if (std::string why = input.Open(); !why.empty()) return why;

  encoder::TheoraEncoder pictures(encoder::PictureFormat{q.width, q.height, q.fps, 1, q.video_quality,
                                                         encoder::ChromaFormat::k420});
  encoder::VorbisEncoder sound(kStreamChannels, kStreamSampleRate, kStreamAudioQuality);
  if (!pictures.Ok() || !sound.Ok()) return "the encoders cannot be set up";
  PictureScaler scaler({PictureTarget{q.width, q.height, pictures.FrameWidth(), pictures.FrameHeight()}});
  SoundResampler resampler(kStreamSampleRate, kStreamChannels);
  OggFileWriter writer(out);

  bool headers_ok = pictures.Headers([&](ogg_packet& p) { writer.Header(writer.Video(), p); });
  // Theora's identification page first, then Vorbis's; the others follow.
  sound.Headers([&](ogg_packet& p) { writer.Header(writer.Sound(), p); });
  if (!headers_ok) return "the picture headers cannot be made";
  writer.EndHeaders();

  auto picture_sink = [&](ogg_packet& p) { writer.Data(writer.Video(), p); };
  auto sound_sink = [&](ogg_packet& p) { writer.Data(writer.Sound(), p); };
  FrameHandle latest(av_frame_alloc());
  std::uint64_t generation = 0;
  std::int64_t next_slot = 0;
  std::int64_t sound_written = 0;
  bool pending = false;  // a picture is encoded but its packet may be the last
  // Pictures are encoded one behind, so that the last one can end the stream.
  auto emit = [&](bool last) -> bool {
    const encoder::Picture* picture = scaler.Scaled(0, *latest, generation);
    if (picture == nullptr) return false;
    ++next_slot;
    return pictures.Encode(*picture, last, picture_sink);
  };
  for (;;) {
    AVFrame* frame = nullptr;
    double at = 0;
    std::string why;
    const MediaInput::Got got = input.Next(frame, at, why);
    if (got == MediaInput::Got::kFailed) return why;
    if (got == MediaInput::Got::kEnd) break;
    if (std::isnan(at)) at = static_cast<double>(next_slot) / q.fps;
    if (got == MediaInput::Got::kPicture) {
      // Frame times before this picture show the one before it.
      while (generation != 0 && static_cast<double>(next_slot) / q.fps < at) {
        if (!emit(false)) return "the pictures cannot be encoded";
      }
      av_frame_unref(latest.get());
      if (av_frame_ref(latest.get(), frame) < 0) return "out of memory";
      ++generation;
      pending = true;
      continue;
    }
    const int count = resampler.Convert(*frame);
    if (count < 0) return "the sound cannot be converted";
    const auto expected = std::llround(std::max(at, 0.0) * kStreamSampleRate);
    const std::int64_t silence = expected > sound_written + kStreamSampleRate / 20 ? expected - sound_written : 0;
    std::vector<float> zeros(static_cast<std::size_t>(silence), 0.0F);
    if (silence > 0) {
      sound.Encode(static_cast<int>(silence), [&](float** channels, int n) {
        for (int c = 0; c < kStreamChannels; ++c) std::copy(zeros.begin(), zeros.begin() + n, channels[c]);
      }, sound_sink);
      sound_written += silence;
    }
    sound.Encode(count, [&](float** channels, int n) {
      for (int c = 0; c < kStreamChannels; ++c) std::copy(resampler.Planes()[c], resampler.Planes()[c] + n, channels[c]);
    }, sound_sink);
    sound_written += count;
  }
  // The last picture stays on screen until the sound ends.
  if (generation != 0 && pending) {
    const auto end_slot = std::max<std::int64_t>(
        next_slot + 1, std::llround(static_cast<double>(sound_written) / kStreamSampleRate * q.fps));
    while (next_slot + 1 < end_slot) {
      if (!emit(false)) return "the pictures cannot be encoded";
    }
    if (!emit(true)) return "the pictures cannot be encoded";
  }
  sound.Encode(0, [](float**, int) {}, sound_sink);
  if (!writer.Finish()) return "cannot write " + out.string();
  return {};
}

}  // namespace kestrova::server::media
