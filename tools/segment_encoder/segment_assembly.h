// Puts one segment together as a self-contained Ogg file: the Theora stream
// of one quality's pictures and the Vorbis stream of the segment's sound
// (shared by every quality), each with all its headers, pages in time order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "segment_encoder/coded_packet.h"
#include "segment_encoder/segment_sound.h"
#include "segment_encoder/segment_video.h"

namespace kestrova::encoder {

// `serial` numbers the Theora stream; the Vorbis stream has the next one.
std::string AssembleSegment(const SegmentVideo& video, const SegmentSound& sound, int sampleRate, std::uint32_t serial);

}  // namespace kestrova::encoder
