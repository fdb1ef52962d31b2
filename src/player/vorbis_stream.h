// The audio side of the segment reader: the Vorbis logical stream, its
// headers, and the synthesis state of the integer decoder. The synthesis
// state is kept from segment to segment while the format stays the same, so
// the sound runs on across segment boundaries.
#pragma once

#include <tremor/ivorbiscodec.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "player/ogg_handles.h"

namespace kestrova::player {

class VorbisStream {
 public:
  VorbisStream();
  ~VorbisStream();
  VorbisStream(const VorbisStream&) = delete;
  VorbisStream& operator=(const VorbisStream&) = delete;

  // Between segments: fresh info and comment records, no headers counted,
  // format not changed. The synthesis state and the stream state stay.
  void ResetSegment();

  // Takes one header packet; false when the decoder refuses it.
  [[nodiscard]] bool HeaderIn(ogg_packet& packet);
  int HeaderCount() const { return headerCount_; }

  // After a segment's headers: builds a new synthesis state when the format
  // differs from the running one.
  void PrepareSynthesis();
  // Set when the segment just opened needed a new synthesis state (the audio
  // output must be reopened with its channels and rate).
  bool FormatChanged() const { return formatChanged_; }
  bool Ready() const { return synthesisReady_; }
  int Channels() const { return active_->channels; }
  long Rate() const { return active_->rate; }

  // One conversion step: moves as many decoded samples as fit into
  // block[filled...] (whole sample frames only). Returns the bytes written.
  std::size_t ConvertPcm(std::span<std::uint8_t> block, std::size_t filled);
  // Decodes one audio packet into the synthesis state; false when refused.
  [[nodiscard]] bool Synthesize(ogg_packet& packet);

  OggStream& Stream() { return stream_; }

 private:
  struct InfoDeleter {
    void operator()(vorbis_info* info) const;
  };
  using InfoPtr = std::unique_ptr<vorbis_info, InfoDeleter>;
  static InfoPtr NewInfo();

  // The header fields that decide whether a synthesis state can go on.
  struct Format {
    int version = 0;
    int channels = 0;
    long rate = 0;
    long bitrateUpper = 0;
    long bitrateNominal = 0;
    long bitrateLower = 0;
    long bitrateWindow = 0;
    bool operator==(const Format&) const = default;
  };
  static Format FormatOf(const vorbis_info& info);

  void ClearSynthesis();

  OggStream stream_;
  InfoPtr info_;    // filled by the current segment's headers
  InfoPtr active_;  // the info the synthesis state was made for
  Format savedFormat_;
  vorbis_comment comment_{};
  vorbis_dsp_state dsp_{};
  vorbis_block block_{};
  bool synthesisReady_ = false;
  int headerCount_ = 0;
  bool formatChanged_ = false;
};

}  // namespace kestrova::player
