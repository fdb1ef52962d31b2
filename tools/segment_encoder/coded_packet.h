// An encoded packet kept after its encoder moved on: the encoders reuse their
// packet buffers, and a channel's packets are put into several segments.
#pragma once

#include <ogg/ogg.h>

#include <cstdint>
#include <string>

namespace kestrova::encoder {

struct CodedPacket {
  std::string bytes;
  std::int64_t granule = -1;
  bool first = false;  // beginning of its stream (the identification header)
  bool last = false;   // end of its stream

  static CodedPacket From(const ogg_packet& packet) {
    return CodedPacket{std::string(reinterpret_cast<const char*>(packet.packet), static_cast<std::size_t>(packet.bytes)),
                       packet.granulepos, packet.b_o_s != 0, packet.e_o_s != 0};
  }
};

}  // namespace kestrova::encoder
