// What one encoded segment contains: picture size and rate, sound format,
// length, the text on the test card, and the stream layout options that the
// player's tests need.
#pragma once

#include <cstdint>
#include <string>

namespace kestrova::encoder {

enum class ChromaFormat { k420, k422, k444 };

struct SegmentRecipe {
  int width = 320;
  int height = 240;
  int fpsNumerator = 25;
  int fpsDenominator = 1;
  double seconds = 10.0;
  int sampleRate = 44100;
  int channels = 2;
  bool video = true;
  bool audio = true;
  ChromaFormat chroma = ChromaFormat::k420;
  std::string channelName = "Kestrova";  // UTF-8
  int clockStart = 0;                    // seconds since midnight shown on the first frame
  int videoQuality = 32;                 // Theora quality 0..63
  float audioQuality = 0.1F;             // Vorbis quality -0.1..1
  std::uint32_t serial = 1000;           // of the Theora stream; the others follow it
  bool audioFirst = false;               // the Vorbis stream's first page before the Theora one
  bool extraStream = false;              // a third logical stream the player must ignore
};

}  // namespace kestrova::encoder
