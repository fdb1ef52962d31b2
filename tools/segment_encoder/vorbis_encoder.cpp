#include "segment_encoder/vorbis_encoder.h"

namespace kestrova::encoder {

VorbisEncoder::VorbisEncoder(const SegmentRecipe& recipe)
    : VorbisEncoder(recipe.channels, recipe.sampleRate, recipe.audioQuality) {}

VorbisEncoder::VorbisEncoder(int channels, int sampleRate, float quality) {
  vorbis_info_init(&info_);
  vorbis_comment_init(&comment_);
  if (vorbis_encode_init_vbr(&info_, channels, sampleRate, quality) != 0) return;
  if (vorbis_analysis_init(&dsp_, &info_) != 0) return;
  vorbis_block_init(&dsp_, &block_);
  ok_ = true;
}

VorbisEncoder::~VorbisEncoder() {
  if (ok_) {
    vorbis_block_clear(&block_);
    vorbis_dsp_clear(&dsp_);
  }
  vorbis_comment_clear(&comment_);
  vorbis_info_clear(&info_);
}

void VorbisEncoder::Headers(const PacketSink& sink) {
  ogg_packet identification;
  ogg_packet comment;
  ogg_packet codebooks;
  vorbis_analysis_headerout(&dsp_, &comment_, &identification, &comment, &codebooks);
  sink(identification);
  sink(comment);
  sink(codebooks);
}

void VorbisEncoder::Encode(int count, const SampleSource& source, const PacketSink& sink) {
  if (count > 0) {
    float** buffer = vorbis_analysis_buffer(&dsp_, count);
    source(buffer, count);
  }
  vorbis_analysis_wrote(&dsp_, count);
  ogg_packet packet;
  while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
    vorbis_analysis(&block_, nullptr);
    vorbis_bitrate_addblock(&block_);
    while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) sink(packet);
  }
}

}  // namespace kestrova::encoder
