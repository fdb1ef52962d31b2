#include "player/theora_stream.h"

#include <cstdint>
#include <utility>

namespace kestrova::player {
namespace {

bool SameFormat(const th_info& a, const th_info& b) {
  return a.version_major == b.version_major && a.version_minor == b.version_minor &&
         a.version_subminor == b.version_subminor && a.frame_width == b.frame_width &&
         a.frame_height == b.frame_height && a.pic_width == b.pic_width && a.pic_height == b.pic_height &&
         a.pic_x == b.pic_x && a.pic_y == b.pic_y && a.fps_numerator == b.fps_numerator &&
         a.fps_denominator == b.fps_denominator && a.aspect_numerator == b.aspect_numerator &&
         a.aspect_denominator == b.aspect_denominator && a.colorspace == b.colorspace &&
         a.pixel_fmt == b.pixel_fmt && a.target_bitrate == b.target_bitrate && a.quality == b.quality &&
         a.keyframe_granule_shift == b.keyframe_granule_shift;
}

PicturePlane Plane(const th_img_plane& plane, int x, int y, int width, int height) {
  PicturePlane out;
  out.stride = plane.stride;
  out.data = plane.data + static_cast<std::ptrdiff_t>(y) * plane.stride + x;
  out.width = width;
  out.height = height;
  return out;
}

// The picture region of a decoded frame. Theora frames are coded in whole
// 16 x 16 blocks; only the picture region is the programme. Its corner is
// moved back to a chroma sample boundary and its size made even, which the
// conversion's two-by-two passes need.
YCbCrPicture Crop(const th_ycbcr_buffer buffer, const th_info& format) {
  const int shiftX = buffer[1].width < buffer[0].width ? 1 : 0;
  const int shiftY = buffer[1].height < buffer[0].height ? 1 : 0;
  int x = static_cast<int>(format.pic_x);
  int y = static_cast<int>(format.pic_y);
  int width = static_cast<int>(format.pic_width);
  int height = static_cast<int>(format.pic_height);
  if (width <= 0 || height <= 0 || x + width > buffer[0].width || y + height > buffer[0].height) {
    x = 0;
    y = 0;
    width = buffer[0].width;
    height = buffer[0].height;
  }
  x &= ~shiftX;
  y &= ~shiftY;
  width &= ~1;
  height &= ~1;
  YCbCrPicture picture;
  picture.luma = Plane(buffer[0], x, y, width, height);
  for (int plane = 1; plane <= 2; ++plane) {
    const PicturePlane chroma = Plane(buffer[plane], x >> shiftX, y >> shiftY, (width + shiftX) >> shiftX,
                                      (height + shiftY) >> shiftY);
    (plane == 1 ? picture.cb : picture.cr) = chroma;
  }
  return picture;
}

}  // namespace

bool TheoraStream::PictureShowable(const th_info& info) {
  // Both sides bounded bound the pixels, and with them every buffer.
  return info.frame_width <= kMaxFrameWidth && info.frame_height <= kMaxFrameHeight;
}

void TheoraStream::ResetSegment() {
  info_.Reset();
  comment_.Reset();
  headerCount_ = 0;
}

int TheoraStream::HeaderIn(ogg_packet& packet) {
  const int result = th_decode_headerin(info_.get(), comment_.get(), setup_.Slot(), &packet);
  if (result == kIdentificationHeader) {
    if (!SameFormat(*info_, savedInfo_)) {
      // A new format: its setup header must be read afresh.
      comment_.Reset();
      setup_.Free();
      savedInfo_ = *info_;
      newDecoderNeeded_ = true;
    }
    headerCount_ = 1;
  } else if (result == kCommentHeader || result == kSetupHeader) {
    ++headerCount_;
  } else if (result == TH_EBADHEADER && setup_.Held() && headerCount_ == 2) {
    // The setup header of a segment whose format did not change: the library
    // refuses a second setup, and the one held is the same.
    headerCount_ = 3;
    return kSetupHeader;
  }
  return result;
}

void TheoraStream::PrepareDecoder() {
  const std::lock_guard guard(lock_);
  if (!newDecoderNeeded_) return;
  if (pendingInCurrent_ == 0) {
    PromoteNext();
    if (pendingInCurrent_ == 0) current_ = TheoraDecoder{};
  }
  if (current_.context && next_.context) return;  // no room yet; the flag stays set
  // A decoder that cannot be made (a picture larger than any quality shown,
  // no memory) leaves the flag set: the segment's packets are then refused
  // and the segment ends like a damaged one; the next segment plays.
  if (!PictureShowable(*info_)) return;
  TheoraDecoder decoder;
  decoder.context.reset(th_decode_alloc(info_.get(), setup_.get()));
  if (!decoder.context) return;
  decoder.format = *info_;
  ++decodersMade_;
  (current_.context ? next_ : current_) = std::move(decoder);
  newDecoderNeeded_ = false;
}

int TheoraStream::DecodePacket(ogg_packet& packet) {
  const std::lock_guard guard(lock_);
  TheoraDecoder& target = next_.context ? next_ : current_;
  if (!target.context) return TH_EFAULT;
  const int result = th_decode_packetin(target.context.get(), &packet, nullptr);
  if (result < 0) return result;
  ++(next_.context ? decodedInNext_ : pendingInCurrent_);
  return result;
}

std::optional<YCbCrPicture> TheoraStream::FetchPicture() {
  if (!current_.context) return std::nullopt;
  th_ycbcr_buffer buffer;
  if (th_decode_ycbcr_out(current_.context.get(), buffer) != 0 || buffer[0].data == nullptr) return std::nullopt;
  // A picture drawn twice (a buffer that came back without a packet of its
  // own) must not make the count negative, or the next decoder would never
  // take over.
  if (pendingInCurrent_ > 0) --pendingInCurrent_;
  return Crop(buffer, current_.format);
}

void TheoraStream::SwitchDecoder() {
  if (next_.context && pendingInCurrent_ == 0) PromoteNext();
}

void TheoraStream::PromoteNext() {
  current_ = std::move(next_);
  next_ = TheoraDecoder{};
  pendingInCurrent_ = decodedInNext_;
  decodedInNext_ = 0;
}

}  // namespace kestrova::player
