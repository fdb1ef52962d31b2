#include "media/media_input.h"

#include <cmath>
#include <limits>
#include <utility>

namespace kestrova::server::media {
namespace {

constexpr long long kMicrosecondsPerSecond = 1'000'000;
// How much of a live input is probed for its streams.
constexpr const char* kAnalyseMicroseconds = "3000000";
constexpr const char* kProbeBytes = "5000000";
// FFmpeg's UDP receiver keeps this many 188-byte packets while the pipeline
// is busy (about 1.5 MB instead of its default of 5).
constexpr const char* kUdpFifoPackets = "8192";

double Seconds(std::int64_t value, AVRational base) { return static_cast<double>(value) * av_q2d(base); }

bool IsPicture(const AVStream* stream) { return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

std::string Metadata(const AVDictionary* dictionary, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(dictionary, key, nullptr, 0);
  return entry != nullptr && entry->value != nullptr ? entry->value : "";
}

}  // namespace

MediaInput::MediaInput(std::string address, const std::atomic<bool>& stop) : address_(std::move(address)), stop_(stop) {}

int MediaInput::Interrupted(void* self) {
  const auto* input = static_cast<MediaInput*>(self);
  if (input->stop_.load()) return 1;
  const long long now = std::chrono::steady_clock::now().time_since_epoch().count();
  return now > input->deadline_.load() ? 1 : 0;
}

void MediaInput::Arm(std::chrono::steady_clock::duration limit) {
  deadline_.store((std::chrono::steady_clock::now() + limit).time_since_epoch().count());
}

std::string MediaInput::Open() {
  if (!packet_ || !frame_) return "out of memory";
  AVFormatContext* raw = avformat_alloc_context();
  if (raw == nullptr) return "out of memory";
  raw->interrupt_callback = AVIOInterruptCB{&MediaInput::Interrupted, this};
  AVDictionary* options = nullptr;
  const std::string timeout = std::to_string(kSilenceTime.count() * kMicrosecondsPerSecond);
  av_dict_set(&options, "rw_timeout", timeout.c_str(), 0);
  av_dict_set(&options, "timeout", timeout.c_str(), 0);
  av_dict_set(&options, "analyzeduration", kAnalyseMicroseconds, 0);
  av_dict_set(&options, "probesize", kProbeBytes, 0);
  av_dict_set(&options, "fifo_size", kUdpFifoPackets, 0);
  av_dict_set(&options, "overrun_nonfatal", "1", 0);
  const DictionaryHandle kept_options(options);
  Arm(kOpenTime);
  AVDictionary* open_options = nullptr;
  av_dict_copy(&open_options, options, 0);
  const int opened = avformat_open_input(&raw, address_.c_str(), nullptr, &open_options);
  av_dict_free(&open_options);
  if (opened < 0) return stop_.load() ? "stopped" : "cannot open: " + ErrorText(opened);
  format_.reset(raw);
  const int found = avformat_find_stream_info(raw, nullptr);
  if (found < 0) return stop_.load() ? "stopped" : "cannot read the streams: " + ErrorText(found);

  const int video = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (video < 0 || IsPicture(raw->streams[video])) return "the source has no video";
  const int sound = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, video, nullptr, 0);
  if (sound < 0) return "the source has no sound";
  video_stream_ = raw->streams[video];
  sound_stream_ = raw->streams[sound];
  for (unsigned i = 0; i < raw->nb_streams; ++i) {
    if (raw->streams[i] != video_stream_ && raw->streams[i] != sound_stream_) raw->streams[i]->discard = AVDISCARD_ALL;
  }
  if (std::string why = OpenDecoder(video_stream_, video_); !why.empty()) return "video: " + why;
  if (std::string why = OpenDecoder(sound_stream_, sound_); !why.empty()) return "sound: " + why;

  const bool seekable = raw->pb != nullptr && (raw->pb->seekable & AVIO_SEEKABLE_NORMAL) != 0;
  if (raw->duration != AV_NOPTS_VALUE && raw->duration > 0 && seekable) {
    loops_ = true;
    duration_ = static_cast<double>(raw->duration) / AV_TIME_BASE;
    start_ = raw->start_time != AV_NOPTS_VALUE ? static_cast<double>(raw->start_time) / AV_TIME_BASE : 0.0;
  }
  title_ = Metadata(raw->metadata, "title");
  for (unsigned i = 0; title_.empty() && i < raw->nb_programs; ++i) {
    title_ = Metadata(raw->programs[i]->metadata, "service_name");
  }
  return {};
}

std::string MediaInput::OpenDecoder(AVStream* stream, CodecHandle& decoder) {
  const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
  if (codec == nullptr) return std::string("no decoder for ") + avcodec_get_name(stream->codecpar->codec_id);
  decoder.reset(avcodec_alloc_context3(codec));
  if (!decoder) return "out of memory";
  if (avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0) return "bad codec parameters";
  decoder->pkt_timebase = stream->time_base;
  // One thread per decoder: a channel's cost stays one pipeline thread.
  decoder->thread_count = 1;
  const int opened = avcodec_open2(decoder.get(), codec, nullptr);
  if (opened < 0) return "cannot open the decoder: " + ErrorText(opened);
  return {};
}

bool MediaInput::Seek(double seconds) {
  Arm(kOpenTime);
  const auto target = static_cast<std::int64_t>((seconds + start_) * AV_TIME_BASE);
  const int sought = avformat_seek_file(format_.get(), -1, INT64_MIN, target, target, 0);
  avcodec_flush_buffers(video_.get());
  avcodec_flush_buffers(sound_.get());
  draining_ = false;
  return sought >= 0;
}

bool MediaInput::Receive(AVCodecContext* decoder, const AVStream* stream, double& at) {
  av_frame_unref(frame_.get());
  if (avcodec_receive_frame(decoder, frame_.get()) < 0) return false;
  std::int64_t stamp = frame_->best_effort_timestamp;
  if (stamp == AV_NOPTS_VALUE) stamp = frame_->pts;
  at = stamp == AV_NOPTS_VALUE ? std::numeric_limits<double>::quiet_NaN() : Seconds(stamp, stream->time_base) - start_;
  return true;
}

bool MediaInput::SendEnd() {
  avcodec_send_packet(video_.get(), nullptr);
  avcodec_send_packet(sound_.get(), nullptr);
  draining_ = true;
  return true;
}

MediaInput::Got MediaInput::Next(AVFrame*& frame, double& at, std::string& why) {
  for (;;) {
    if (Receive(video_.get(), video_stream_, at)) {
      frame = frame_.get();
      return Got::kPicture;
    }
    if (Receive(sound_.get(), sound_stream_, at)) {
      frame = frame_.get();
      return Got::kSound;
    }
    if (draining_) return Got::kEnd;
    Arm(kSilenceTime);
    av_packet_unref(packet_.get());
    const int read = av_read_frame(format_.get(), packet_.get());
    if (read == AVERROR_EOF || (read < 0 && format_->pb != nullptr && avio_feof(format_->pb) && !stop_.load() &&
                                read != AVERROR_EXIT)) {
      SendEnd();
      continue;
    }
    if (read < 0) {
      if (stop_.load()) {
        why = "stopped";
      } else if (read == AVERROR_EXIT) {
        why = "no data for " + std::to_string(kSilenceTime.count()) + " s";
      } else {
        why = "read failed: " + ErrorText(read);
      }
      return Got::kFailed;
    }
    AVCodecContext* decoder = nullptr;
    if (packet_->stream_index == video_stream_->index) decoder = video_.get();
    if (packet_->stream_index == sound_stream_->index) decoder = sound_.get();
    // A damaged packet is skipped: the decoder picks up at the next good one.
    if (decoder != nullptr) avcodec_send_packet(decoder, packet_.get());
  }
}

}  // namespace kestrova::server::media
