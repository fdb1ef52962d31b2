#include "media/picture_scaler.h"

#include <algorithm>
#include <cmath>

namespace kestrova::server::media {
namespace {

constexpr std::uint8_t kBlackLuma = 0;  // full range
constexpr std::uint8_t kChromaZero = 128;
constexpr int kScaleFlags = SWS_BILINEAR;
constexpr int kFixedOne = 1 << 16;  // sws's brightness, contrast and saturation units
// Sources at least this tall are high-definition when they do not say.
constexpr int kHighDefinitionLines = 720;

int Even(double value) { return std::max(2, static_cast<int>(std::lround(value / 2.0)) * 2); }

int SourceSpace(const AVFrame& frame) {
  switch (frame.colorspace) {
    case AVCOL_SPC_BT709: return SWS_CS_ITU709;
    case AVCOL_SPC_UNSPECIFIED: return frame.height >= kHighDefinitionLines ? SWS_CS_ITU709 : SWS_CS_ITU601;
    default: return SWS_CS_ITU601;
  }
}

bool FullRange(const AVFrame& frame) {
  if (frame.color_range == AVCOL_RANGE_JPEG) return true;
  switch (frame.format) {
    case AV_PIX_FMT_YUVJ420P:
    case AV_PIX_FMT_YUVJ422P:
    case AV_PIX_FMT_YUVJ444P: return true;
    default: return false;
  }
}

double DisplayAspect(const AVFrame& frame) {
  AVRational sar = frame.sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
  return static_cast<double>(frame.width) * av_q2d(sar) / frame.height;
}

// The three planes of a picture from (x, y) on, for sws to write into.
struct PlaneWindow {
  std::uint8_t* data[4] = {};
  int stride[4] = {};
};

PlaneWindow Window(encoder::Picture& picture, int x, int y) {
  PlaneWindow window;
  encoder::Plane* planes[3] = {&picture.luma, &picture.cb, &picture.cr};
  for (int i = 0; i < 3; ++i) {
    const int shift = i == 0 ? 0 : 1;
    window.stride[i] = planes[i]->width;
    window.data[i] = &planes[i]->At(x >> shift, y >> shift);
  }
  return window;
}

}  // namespace

FittedArea FitInside(double aspect, int width, int height) {
  FittedArea area{0, 0, width, height};
  if (!(aspect > 0)) return area;
  if (aspect > static_cast<double>(width) / height) {
    area.height = std::min(height, Even(width / aspect));
  } else {
    area.width = std::min(width, Even(height * aspect));
  }
  area.x = (width - area.width) / 4 * 2;
  area.y = (height - area.height) / 4 * 2;
  return area;
}

PictureScaler::PictureScaler(std::vector<PictureTarget> targets) {
  for (const PictureTarget& size : targets) {
    Target target;
    target.size = size;
    auto plane = [](int w, int h, std::uint8_t fill) {
      encoder::Plane p;
      p.width = w;
      p.height = h;
      p.samples.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
      return p;
    };
    target.picture.luma = plane(size.frame_width, size.frame_height, kBlackLuma);
    target.picture.cb = plane(size.frame_width / 2, size.frame_height / 2, kChromaZero);
    target.picture.cr = plane(size.frame_width / 2, size.frame_height / 2, kChromaZero);
    targets_.push_back(std::move(target));
  }
}

void PictureScaler::Clear(encoder::Picture& picture) {
  std::fill(picture.luma.samples.begin(), picture.luma.samples.end(), kBlackLuma);
  std::fill(picture.cb.samples.begin(), picture.cb.samples.end(), kChromaZero);
  std::fill(picture.cr.samples.begin(), picture.cr.samples.end(), kChromaZero);
}

bool PictureScaler::ScaleMaster(const AVFrame& frame) {
  Target& master = targets_.front();
  const double aspect = DisplayAspect(frame);
  const int space = SourceSpace(frame);
  const int range = FullRange(frame) ? 1 : 0;
  const bool field = frame.interlaced_frame != 0 && frame.height >= 2 * master.size.height;
  const bool changed = frame.width != source_width_ || frame.height != source_height_ || frame.format != source_format_ ||
                       space != source_space_ || range != source_range_ || field != field_ || aspect != aspect_;
  if (changed) {
    const FittedArea area = FitInside(aspect, master.size.width, master.size.height);
    source_scaler_.reset(sws_getContext(frame.width, field ? frame.height / 2 : frame.height,
                                        static_cast<AVPixelFormat>(frame.format), area.width, area.height,
                                        AV_PIX_FMT_YUV420P, kScaleFlags, nullptr, nullptr, nullptr));
    if (!source_scaler_) return false;
    sws_setColorspaceDetails(source_scaler_.get(), sws_getCoefficients(space), range,
                             sws_getCoefficients(SWS_CS_ITU601), 1, 0, kFixedOne, kFixedOne);
    source_width_ = frame.width;
    source_height_ = frame.height;
    source_format_ = frame.format;
    source_space_ = space;
    source_range_ = range;
    field_ = field;
    aspect_ = aspect;
    // New bars everywhere: every target is fitted again.
    for (Target& target : targets_) {
      target.area = FitInside(aspect, target.size.width, target.size.height);
      target.scaler.reset();
      target.generation = 0;
      Clear(target.picture);
    }
  }
  const std::uint8_t* source[4] = {frame.data[0], frame.data[1], frame.data[2], frame.data[3]};
  int stride[4] = {frame.linesize[0], frame.linesize[1], frame.linesize[2], frame.linesize[3]};
  if (field_) {
    for (int& s : stride) s *= 2;
  }
  PlaneWindow out = Window(master.picture, master.area.x, master.area.y);
  sws_scale(source_scaler_.get(), source, stride, 0, field_ ? frame.height / 2 : frame.height, out.data, out.stride);
  return true;
}

const encoder::Picture* PictureScaler::Scaled(std::size_t index, const AVFrame& frame, std::uint64_t generation) {
  if (index >= targets_.size() || frame.width <= 0 || frame.height <= 0) return nullptr;
  if (master_generation_ != generation || generation == 0) {
    if (!ScaleMaster(frame)) return nullptr;
    master_generation_ = generation;
    targets_.front().generation = generation;
  }
  Target& target = targets_[index];
  if (target.generation == generation) return &target.picture;
  Target& master = targets_.front();
  if (!target.scaler) {
    target.scaler.reset(sws_getContext(master.area.width, master.area.height, AV_PIX_FMT_YUV420P, target.area.width,
                                       target.area.height, AV_PIX_FMT_YUV420P, kScaleFlags, nullptr, nullptr, nullptr));
    if (!target.scaler) return nullptr;
  }
  PlaneWindow in = Window(master.picture, master.area.x, master.area.y);
  PlaneWindow out = Window(target.picture, target.area.x, target.area.y);
  sws_scale(target.scaler.get(), in.data, in.stride, 0, master.area.height, out.data, out.stride);
  target.generation = generation;
  return &target.picture;
}

}  // namespace kestrova::server::media
