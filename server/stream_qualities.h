// The qualities the stream control script offers, numbered from 1 (the
// smallest) up: a live segment is encoded in each of them, and the client
// picks one per segment by its measured download rate or the user's choice.
// Quality numbers 2 to 4 are the user's choices Low, Medium and High of the
// set-up answer; every quality shares one sound format, so that a change of
// quality from one segment to the next does not reopen the sound output.
#pragma once

#include <array>
#include <string>

#include "segment_encoder/segment_recipe.h"

namespace kestrova::server {

// Sizes grow with the number, so that the client's choice by rate picks the
// best quality that fits: the headers of both codecs (some 8 KB) and the
// shared sound make up most of a small segment, so the smallest picture is
// also the most coarsely coded. Every frame rate divides the sound rate
// (22050 = 10 x 2205 = 14 x 1575 = 15 x 1470 = 25 x 882): the player takes
// one frame's worth of sound per picture, and a share it cannot fill whole
// at a segment's end is dropped, which would break the sound at every
// boundary.
struct StreamQuality {
  int width;
  int height;
  int fps;
  int video_quality;  // Theora 0..63
};

inline constexpr std::array<StreamQuality, 4> kStreamQualities = {{
    {96, 72, 10, 4},
    {128, 96, 14, 24},
    {176, 144, 15, 32},
    {320, 240, 25, 40},
}};
inline constexpr int kStreamQualityCount = static_cast<int>(kStreamQualities.size());
// What a quality number outside 1..kStreamQualityCount gets (the client
// asks for 5 until it has measured a rate).
inline constexpr int kDefaultStreamQuality = 3;

inline constexpr int kStreamSampleRate = 22050;
inline constexpr int kStreamChannels = 2;
inline constexpr float kStreamAudioQuality = -0.1F;

// The quality a requested number gets: itself when it is one of ours, else
// the default.
inline int ServedQuality(int requested) {
  return requested >= 1 && requested <= kStreamQualityCount ? requested : kDefaultStreamQuality;
}

// The test card of `name` in quality `quality` (1-based) for `seconds`
// seconds, its clock starting at `clock_start` seconds after midnight.
encoder::SegmentRecipe StreamRecipe(int quality, const std::string& name, int clock_start, int seconds);

}  // namespace kestrova::server
