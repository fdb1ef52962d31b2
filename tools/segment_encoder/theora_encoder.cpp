#include "segment_encoder/theora_encoder.h"

namespace kestrova::encoder {
namespace {

constexpr int kBlock = 16;  // coded frames are whole 16 x 16 blocks
constexpr int kKeyframeShift = 6;  // a keyframe at least every 64 pictures

th_pixel_fmt PixelFormat(ChromaFormat chroma) {
  switch (chroma) {
    case ChromaFormat::k422:
      return TH_PF_422;
    case ChromaFormat::k444:
      return TH_PF_444;
    case ChromaFormat::k420:
      break;
  }
  return TH_PF_420;
}

th_img_plane ImagePlane(const Plane& plane) {
  // libtheora reads the samples only; its plane record is not const.
  return th_img_plane{plane.width, plane.height, plane.width, const_cast<unsigned char*>(plane.samples.data())};
}

}  // namespace

int CodedSide(int side) { return (side + kBlock - 1) / kBlock * kBlock; }

TheoraEncoder::TheoraEncoder(const SegmentRecipe& recipe)
    : TheoraEncoder(PictureFormat{recipe.width, recipe.height, recipe.fpsNumerator, recipe.fpsDenominator,
                                  recipe.videoQuality, recipe.chroma}) {}

TheoraEncoder::TheoraEncoder(const PictureFormat& format) {
  frameWidth_ = CodedSide(format.width);
  frameHeight_ = CodedSide(format.height);
  th_info info;
  th_info_init(&info);
  info.frame_width = static_cast<ogg_uint32_t>(frameWidth_);
  info.frame_height = static_cast<ogg_uint32_t>(frameHeight_);
  info.pic_width = static_cast<ogg_uint32_t>(format.width);
  info.pic_height = static_cast<ogg_uint32_t>(format.height);
  info.pic_x = 0;
  info.pic_y = 0;
  info.fps_numerator = static_cast<ogg_uint32_t>(format.fpsNumerator);
  info.fps_denominator = static_cast<ogg_uint32_t>(format.fpsDenominator);
  info.aspect_numerator = 1;
  info.aspect_denominator = 1;
  info.colorspace = TH_CS_UNSPECIFIED;
  info.pixel_fmt = PixelFormat(format.chroma);
  info.target_bitrate = 0;
  info.quality = format.quality;
  info.keyframe_granule_shift = kKeyframeShift;
  context_.reset(th_encode_alloc(&info));
  th_info_clear(&info);
  if (!context_) return;
  int fastest = 0;
  if (th_encode_ctl(context_.get(), TH_ENCCTL_GET_SPLEVEL_MAX, &fastest, sizeof fastest) == 0) {
    th_encode_ctl(context_.get(), TH_ENCCTL_SET_SPLEVEL, &fastest, sizeof fastest);
  }
}

bool TheoraEncoder::Headers(const PacketSink& sink) {
  th_comment comment;
  th_comment_init(&comment);
  ogg_packet packet;
  int result = 0;
  while ((result = th_encode_flushheader(context_.get(), &comment, &packet)) > 0) sink(packet);
  th_comment_clear(&comment);
  return result == 0;
}

bool TheoraEncoder::Encode(const Picture& frame, bool last, const PacketSink& sink) {
  th_ycbcr_buffer buffer = {ImagePlane(frame.luma), ImagePlane(frame.cb), ImagePlane(frame.cr)};
  if (th_encode_ycbcr_in(context_.get(), buffer) != 0) return false;
  ogg_packet packet;
  int result = 0;
  while ((result = th_encode_packetout(context_.get(), last ? 1 : 0, &packet)) > 0) sink(packet);
  return result == 0;
}

}  // namespace kestrova::encoder
