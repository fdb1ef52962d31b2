// Owners of FFmpeg's objects: each frees its object the one way FFmpeg
// wants it freed, so that every way out of a pipeline step releases them.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>
#include <string>

namespace kestrova::server::media {

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;

struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;

struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;

struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;

struct ScalerFreer {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
using ScalerHandle = std::unique_ptr<SwsContext, ScalerFreer>;

struct ResamplerFreer {
  void operator()(SwrContext* context) const { swr_free(&context); }
};
using ResamplerHandle = std::unique_ptr<SwrContext, ResamplerFreer>;

struct DictionaryFreer {
  void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};
using DictionaryHandle = std::unique_ptr<AVDictionary, DictionaryFreer>;

// FFmpeg's text for an error code.
inline std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace kestrova::server::media
