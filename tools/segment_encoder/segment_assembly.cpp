#include "segment_encoder/segment_assembly.h"

#include "segment_encoder/ogg_muxer.h"

namespace kestrova::encoder {
namespace {

constexpr int kKeyframeShift = 6;  // as the Theora encoder is set up

// libogg reads the packet's bytes only; its record is not const.
ogg_packet View(const CodedPacket& coded, std::int64_t number, bool first, bool last) {
    ogg_packet packet{};
    packet.packet = reinterpret_cast<unsigned char*>(const_cast<char*>(coded.bytes.data()));
    packet.bytes = static_cast<long>(coded.bytes.size());
    packet.b_o_s = first ? 1 : 0;
    packet.e_o_s = last ? 1 : 0;
    packet.granulepos = coded.granule;
    packet.packetno = number;
  return packet;
}

}  // namespace

std::string AssembleSegment(const SegmentVideo& video, const SegmentSound& sound, int sampleRate, std::uint32_t serial) {
  OggMuxer muxer;
  const PictureFormat& format = video.Format();
  const double framePeriod = static_cast<double>(format.fpsDenominator) / format.fpsNumerator;
  const int videoIndex = muxer.AddStream(serial, [framePeriod](std::int64_t granule) {
    const std::int64_t frame = (granule >> kKeyframeShift) + (granule & ((1 << kKeyframeShift) - 1));
    return static_cast<double>(frame) * framePeriod;
  });
  const double rate = sampleRate;
  const int audioIndex = muxer.AddStream(serial + 1, [rate](std::int64_t granule) {
    return static_cast<double>(granule) / rate;
  });

  // Identification headers on their own first pages, then the others.
  std::int64_t videoNumber = 0;
  std::int64_t audioNumber = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (std::size_t i = 0; i < video.Headers().size(); ++i) {
      if ((i == 0) != (pass == 0)) continue;
      ogg_packet packet = View(video.Headers()[i], videoNumber++, i == 0, false);
      muxer.HeaderPacket(videoIndex, packet);
    }
    for (std::size_t i = 0; i < sound.Headers().size(); ++i) {
      if ((i == 0) != (pass == 0)) continue;
      ogg_packet packet = View(sound.Headers()[i], audioNumber++, i == 0, false);
      muxer.HeaderPacket(audioIndex, packet);
    }
  }
  muxer.EndHeaders();

  const auto& pictures = video.Packets();
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    ogg_packet packet = View(pictures[i], videoNumber++, false, i + 1 == pictures.size());
    muxer.Stream(videoIndex).PacketIn(packet);
    muxer.CollectPages(videoIndex, false);
  }
  const auto& sounds = sound.Packets();
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    ogg_packet packet = View(sounds[i], audioNumber++, false, sounds[i].last);
    muxer.Stream(audioIndex).PacketIn(packet);
    muxer.CollectPages(audioIndex, false);
  }
  return muxer.Finish();
}

}  // namespace kestrova::encoder
