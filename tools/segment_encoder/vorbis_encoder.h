// libvorbis's encoder for one segment's sound, in variable bit rate at a
// quality level.
#pragma once

#include <vorbis/vorbisenc.h>

#include <functional>

#include "segment_encoder/segment_recipe.h"

namespace kestrova::encoder {

class VorbisEncoder {
 public:
  using PacketSink = std::function<void(ogg_packet&)>;
  // Fills `count` samples of each channel: channels[c][i].
  using SampleSource = std::function<void(float** channels, int count)>;

  explicit VorbisEncoder(const SegmentRecipe& recipe);
  VorbisEncoder(int channels, int sampleRate, float quality);
  ~VorbisEncoder();
  VorbisEncoder(const VorbisEncoder&) = delete;
  VorbisEncoder& operator=(const VorbisEncoder&) = delete;
  bool Ok() const { return ok_; }

  // The three header packets, identification header first.
  void Headers(const PacketSink& sink);
  // `count` more samples per channel from `source`; 0 ends the stream.
  void Encode(int count, const SampleSource& source, const PacketSink& sink);
  double GranuleTime(ogg_int64_t granule) { return vorbis_granule_time(&dsp_, granule); }

 private:
  vorbis_info info_{};
  vorbis_comment comment_{};
  vorbis_dsp_state dsp_{};
  vorbis_block block_{};
  bool ok_ = false;
};

}  // namespace kestrova::encoder
