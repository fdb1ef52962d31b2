// kestrova-test-media: makes the sources of the real-channel tests with
// libavformat and libavcodec (its own program: the client's decoder and
// FFmpeg's libraries never share one). The picture and sound come from
// support/test_pattern.h.
//   kestrova-test-media file OUT [options]   writes a media file
//   kestrova-test-media udp URL [options]    sends MPEG-TS in real time until killed
// Options: --seconds S (file length, 4), --size WxH (160x120), --fps N[/D]
// (25), --video mpeg4|mjpeg|mpeg2video (mpeg4), --audio pcm|flac|mp2|none
// (pcm), --rate HZ (22050), --channels 1|2|6 (2), --sar N:D (1:1),
// --interlaced, --no-video.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/test_pattern.h"

namespace {

struct Options {
  std::string mode;
  std::string target;
  double seconds = 4;
  int width = 160;
  int height = 120;
  AVRational fps{25, 1};
  std::string video = "mpeg4";
  std::string audio = "pcm";
  int rate = 22050;
  int channels = 2;
  AVRational sar{1, 1};
  bool interlaced = false;
  bool with_video = true;
};

struct CodecFreer {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFreer {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFreer {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct OutputCloser {
  void operator()(AVFormatContext* f) const {
    if (f->pb != nullptr && (f->oformat->flags & AVFMT_NOFILE) == 0) avio_closep(&f->pb);
    avformat_free_context(f);
  }
};

int Fail(const std::string& why) {
  std::fprintf(stderr, "kestrova-test-media: %s\n", why.c_str());
  return 1;
}

bool Parse(int argc, char** argv, Options& options) {
  if (argc < 3) return false;
  options.mode = argv[1];
  options.target = argv[2];
  for (int i = 3; i < argc; ++i) {
    const std::string name = argv[i];
    auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
    if (name == "--seconds") {
      options.seconds = std::stod(value());
    } else if (name == "--size") {
      if (std::sscanf(value().c_str(), "%dx%d", &options.width, &options.height) != 2) return false;
    } else if (name == "--fps") {
      const std::string v = value();
      options.fps.den = 1;
      if (std::sscanf(v.c_str(), "%d/%d", &options.fps.num, &options.fps.den) < 1) return false;
    } else if (name == "--video") {
      options.video = value();
    } else if (name == "--audio") {
      options.audio = value();
    } else if (name == "--rate") {
      options.rate = std::stoi(value());
    } else if (name == "--channels") {
      options.channels = std::stoi(value());
    } else if (name == "--sar") {
      if (std::sscanf(value().c_str(), "%d:%d", &options.sar.num, &options.sar.den) != 2) return false;
    } else if (name == "--interlaced") {
      options.interlaced = true;
    } else if (name == "--no-video") {
      options.with_video = false;
    } else {
      return false;
    }
  }
  return options.mode == "file" || options.mode == "udp";
}

class Writer {
 public:
  explicit Writer(const Options& options) : o_(options) {}

  std::string Open() {
    AVFormatContext* raw = nullptr;
    const char* format = o_.mode == "udp" ? "mpegts" : nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, format, o_.target.c_str()) < 0 || raw == nullptr) {
      return "cannot make an output for " + o_.target;
    }
    out_.reset(raw);
    if (o_.with_video) {
      if (std::string why = OpenVideo(); !why.empty()) return why;
    }
    if (o_.audio != "none") {
      if (std::string why = OpenAudio(); !why.empty()) return why;
    }
    if ((out_->oformat->flags & AVFMT_NOFILE) == 0 && avio_open(&out_->pb, o_.target.c_str(), AVIO_FLAG_WRITE) < 0) {
      return "cannot open " + o_.target;
    }
    if (avformat_write_header(out_.get(), nullptr) < 0) return "cannot write the header";
    return {};
  }

  // Writes the pattern up to `until` seconds; `pace` holds each picture
  // back until its time (from the first call on).
  bool Write(double until, bool pace) {
    // A file's sound ends exactly with its pictures, so that it loops without a seam.
    const std::int64_t limit = pace ? INT64_MAX : std::llround(until * o_.rate);
    if (frames_ == 0) begin_ = std::chrono::steady_clock::now();
    const auto begin = begin_;
    const double frame = o_.with_video ? av_q2d(av_inv_q(o_.fps)) : 0.02;
    for (;;) {
      const double t = static_cast<double>(frames_) * frame;
      if (t >= until) break;
      if (pace) std::this_thread::sleep_until(begin + std::chrono::duration<double>(t));
      if (video_ && !EncodePicture(t)) return false;
      while (audio_ && static_cast<double>(samples_) / o_.rate < t + frame) {
        if (!EncodeSound(limit)) return false;
      }
      ++frames_;
    }
    return true;
  }

  bool Close() {
    if (video_) Drain(video_.get(), video_stream_);
    if (audio_) Drain(audio_.get(), audio_stream_);
    return av_write_trailer(out_.get()) >= 0;
  }

 private:
  std::string OpenVideo() {
    const AVCodec* codec = avcodec_find_encoder_by_name(o_.video.c_str());
    if (codec == nullptr) return "no encoder " + o_.video;
    video_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = video_.get();
    c->width = o_.width;
    c->height = o_.height;
    c->time_base = av_inv_q(o_.fps);
    c->framerate = o_.fps;
    c->sample_aspect_ratio = o_.sar;
    c->gop_size = 12;
    full_range_ = o_.video == "mjpeg";
    c->pix_fmt = full_range_ ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
    c->flags |= AV_CODEC_FLAG_QSCALE;
    c->global_quality = FF_QP2LAMBDA * 2;
    if (o_.interlaced) {
      c->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
      c->field_order = AV_FIELD_TT;
    }
    if ((out_->oformat->flags & AVFMT_GLOBALHEADER) != 0) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return "cannot open " + o_.video;
    video_stream_ = avformat_new_stream(out_.get(), nullptr);
    avcodec_parameters_from_context(video_stream_->codecpar, c);
    video_stream_->time_base = c->time_base;
    video_stream_->sample_aspect_ratio = o_.sar;
    picture_.reset(av_frame_alloc());
    picture_->format = c->pix_fmt;
    picture_->width = c->width;
    picture_->height = c->height;
    if (av_frame_get_buffer(picture_.get(), 0) < 0) return "out of memory";
    return {};
  }

  std::string OpenAudio() {
    const std::string name = o_.audio == "pcm" ? "pcm_s16le" : o_.audio;
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr) return "no encoder " + name;
    audio_.reset(avcodec_alloc_context3(codec));
    AVCodecContext* c = audio_.get();
    c->sample_rate = o_.rate;
    av_channel_layout_default(&c->ch_layout, o_.channels);
    c->sample_fmt = codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    c->time_base = AVRational{1, o_.rate};
    if (name == "mp2") c->bit_rate = 128000;
    if ((out_->oformat->flags & AVFMT_GLOBALHEADER) != 0) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(c, codec, nullptr) < 0) return "cannot open " + name;
    audio_stream_ = avformat_new_stream(out_.get(), nullptr);
    avcodec_parameters_from_context(audio_stream_->codecpar, c);
    audio_stream_->time_base = c->time_base;
    sound_.reset(av_frame_alloc());
    sound_->format = c->sample_fmt;
    sound_->sample_rate = c->sample_rate;
    av_channel_layout_copy(&sound_->ch_layout, &c->ch_layout);
    sound_->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
    frame_samples_ = sound_->nb_samples;
    if (av_frame_get_buffer(sound_.get(), 0) < 0) return "out of memory";
    return {};
  }

  bool EncodePicture(double t) {
    if (av_frame_make_writable(picture_.get()) < 0) return false;
    AVFrame* f = picture_.get();
    const double scale = full_range_ ? 255.0 : 219.0;
    const double base = full_range_ ? 0.0 : 16.0;
    const double chroma = full_range_ ? 255.0 : 224.0;
    for (int y = 0; y < f->height; ++y) {
      for (int x = 0; x < f->width; ++x) {
        const double u = (x + 0.5) / f->width;
        const double v = (y + 0.5) / f->height;
        f->data[0][y * f->linesize[0] + x] =
            static_cast<std::uint8_t>(std::lround(base + scale * kestrova::test::pattern::Luma(u, v, t)));
      }
    }
    for (int y = 0; y < f->height / 2; ++y) {
      for (int x = 0; x < f->width / 2; ++x) {
        const double u = (2 * x + 1.0) / f->width;
        const double v = (2 * y + 1.0) / f->height;
        f->data[1][y * f->linesize[1] + x] =
            static_cast<std::uint8_t>(std::lround(128 + chroma * (kestrova::test::pattern::Blue(u, v) - 0.5)));
        f->data[2][y * f->linesize[2] + x] =
            static_cast<std::uint8_t>(std::lround(128 + chroma * (kestrova::test::pattern::Red(u, v) - 0.5)));
      }
    }
    f->pts = frames_;
    f->interlaced_frame = o_.interlaced ? 1 : 0;
    f->top_field_first = o_.interlaced ? 1 : 0;
    return Send(video_.get(), video_stream_, f);
  }

  bool EncodeSound(std::int64_t limit) {
    if (samples_ >= limit) {
      samples_ = INT64_MAX / 2;  // nothing more to send
      return true;
    }
    if (av_frame_make_writable(sound_.get()) < 0) return false;
    AVFrame* f = sound_.get();
    if (audio_->frame_size == 0 || (audio_->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0 ||
        (audio_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0) {
      f->nb_samples = static_cast<int>(std::min<std::int64_t>(frame_samples_, limit - samples_));
    }
    const int channels = f->ch_layout.nb_channels;
    for (int i = 0; i < f->nb_samples; ++i) {
      const double value = kestrova::test::pattern::Sound(static_cast<double>(samples_ + i) / o_.rate);
      for (int c = 0; c < channels; ++c) Store(f, c, i, channels, value);
    }
    f->pts = samples_;
    samples_ += f->nb_samples;
    return Send(audio_.get(), audio_stream_, f);
  }

  static void Store(AVFrame* f, int channel, int i, int channels, double value) {
    const auto format = static_cast<AVSampleFormat>(f->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const int index = planar ? i : i * channels + channel;
    std::uint8_t* data = f->extended_data[planar ? channel : 0];
    switch (av_get_packed_sample_fmt(format)) {
      case AV_SAMPLE_FMT_S16: reinterpret_cast<std::int16_t*>(data)[index] = static_cast<std::int16_t>(std::lround(value * 32767)); break;
      case AV_SAMPLE_FMT_S32: reinterpret_cast<std::int32_t*>(data)[index] = static_cast<std::int32_t>(std::lround(value * 2147483647.0)); break;
      case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(data)[index] = static_cast<float>(value); break;
      default: break;
    }
  }

  bool Send(AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
    if (avcodec_send_frame(codec, frame) < 0) return false;
    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    while (avcodec_receive_packet(codec, packet.get()) == 0) {
      av_packet_rescale_ts(packet.get(), codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(out_.get(), packet.get()) < 0) return false;
    }
    return true;
  }

  void Drain(AVCodecContext* codec, AVStream* stream) { Send(codec, stream, nullptr); }

  const Options& o_;
  std::unique_ptr<AVFormatContext, OutputCloser> out_;
  std::unique_ptr<AVCodecContext, CodecFreer> video_;
  std::unique_ptr<AVCodecContext, CodecFreer> audio_;
  AVStream* video_stream_ = nullptr;
  AVStream* audio_stream_ = nullptr;
  std::unique_ptr<AVFrame, FrameFreer> picture_;
  std::unique_ptr<AVFrame, FrameFreer> sound_;
  bool full_range_ = false;
  std::chrono::steady_clock::time_point begin_{};
  std::int64_t frames_ = 0;
  std::int64_t samples_ = 0;
  int frame_samples_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  try {
    if (!Parse(argc, argv, options)) {
      std::fputs("usage: kestrova-test-media file OUT|udp URL [--seconds S] [--size WxH] [--fps N/D]\n"
                 "  [--video mpeg4|mjpeg|mpeg2video] [--audio pcm|flac|mp2|none] [--rate HZ] [--channels N]\n"
                 "  [--sar N:D] [--interlaced] [--no-video]\n",
                 stderr);
      return 2;
    }
  } catch (const std::exception&) {
    return Fail("bad option value");
  }
  av_log_set_level(AV_LOG_ERROR);
  Writer writer(options);
  if (std::string why = writer.Open(); !why.empty()) return Fail(why);
  if (options.mode == "file") {
    if (!writer.Write(options.seconds, false) || !writer.Close()) return Fail("cannot write " + options.target);
    return 0;
  }
  // A live stream: on and on, at the pace of the clock, until killed.
  for (double until = 1;; until += 1) {
    if (!writer.Write(until, true)) return Fail("cannot send to " + options.target);
  }
}
