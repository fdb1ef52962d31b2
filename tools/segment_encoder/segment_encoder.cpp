#include "segment_encoder/segment_encoder.h"

#include <cmath>
#include <algorithm>
#include <memory>
#include <vector>

#include "segment_encoder/ogg_muxer.h"
#include "segment_encoder/test_card.h"
#include "segment_encoder/theora_encoder.h"
#include "segment_encoder/tone.h"
#include "segment_encoder/vorbis_encoder.h"

namespace kestrova::encoder {
namespace {

constexpr int kLargestSide = 4096;
constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 192000;
constexpr int kMostChannels = 8;
constexpr double kLongestSegment = 3600.0;

// The third stream's packets: a kind that neither decoder knows.
constexpr char kCaptionMagic[] = "\x7f" "caption";

ogg_packet Packet(std::string& bytes, bool first, bool last, ogg_int64_t granule, ogg_int64_t number) {
  ogg_packet packet{};
  packet.packet = reinterpret_cast<unsigned char*>(bytes.data());
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = first ? 1 : 0;
  packet.e_o_s = last ? 1 : 0;
  packet.granulepos = granule;
  packet.packetno = number;
  return packet;
}

// A header packet kept until the streams' first pages are out: the encoders
// reuse their packet buffers.
struct KeptPacket {
  std::string bytes;
  ogg_packet packet{};

  explicit KeptPacket(const ogg_packet& p)
      : bytes(reinterpret_cast<const char*>(p.packet), static_cast<std::size_t>(p.bytes)), packet(p) {}
  ogg_packet& Get() {
    packet.packet = reinterpret_cast<unsigned char*>(bytes.data());
    return packet;
  }
};

class CaptionStream {
 public:
  CaptionStream(OggMuxer& muxer, std::uint32_t serial)
      : muxer_(muxer), index_(muxer.AddStream(serial, [](std::int64_t granule) { return static_cast<double>(granule); })) {}

  void Header() {
    std::string magic(kCaptionMagic, sizeof kCaptionMagic - 1);
    ogg_packet packet = Packet(magic, true, false, 0, number_++);
    muxer_.HeaderPacket(index_, packet);
  }
  void Second(long second, bool last) {
    std::string text = "second " + std::to_string(second);
    ogg_packet packet = Packet(text, false, last, second, number_++);
    muxer_.Stream(index_).PacketIn(packet);
    muxer_.CollectPages(index_, false);
  }

 private:
  OggMuxer& muxer_;
  int index_;
  ogg_int64_t number_ = 0;
};

}  // namespace

platform::Status CheckRecipe(const SegmentRecipe& recipe) {
  if (!recipe.video && !recipe.audio) return platform::Status::Failure("a segment needs pictures or sound");
  if (!(recipe.seconds > 0.0 && recipe.seconds <= kLongestSegment)) return platform::Status::Failure("length out of range");
  if (recipe.video) {
    if (recipe.width < 1 || recipe.height < 1 || recipe.width > kLargestSide || recipe.height > kLargestSide) {
      return platform::Status::Failure("picture size out of range");
    }
    if (recipe.fpsNumerator < 1 || recipe.fpsDenominator < 1) return platform::Status::Failure("bad frame rate");
    if (recipe.videoQuality < 0 || recipe.videoQuality > 63) return platform::Status::Failure("video quality out of range");
  }
  if (recipe.audio) {
    if (recipe.sampleRate < kLowestRate || recipe.sampleRate > kHighestRate) return platform::Status::Failure("sample rate out of range");
    if (recipe.channels < 1 || recipe.channels > kMostChannels) return platform::Status::Failure("channel count out of range");
  }
  return {};
}

platform::Result<std::string> EncodeSegment(const SegmentRecipe& recipe) {
  if (platform::Status usable = CheckRecipe(recipe); !usable) return usable;
  OggMuxer muxer;
  std::unique_ptr<TheoraEncoder> theora;
  std::unique_ptr<VorbisEncoder> vorbis;
  std::unique_ptr<CaptionStream> caption;
  std::unique_ptr<TestCard> card;
  int videoIndex = -1;
  int audioIndex = -1;

  if (recipe.video) {
    theora = std::make_unique<TheoraEncoder>(recipe);
    if (!theora->Ok()) return platform::Status::Failure("the Theora encoder refused the picture settings");
    card = std::make_unique<TestCard>(recipe, theora->FrameWidth(), theora->FrameHeight());
  }
  if (recipe.audio) {
    vorbis = std::make_unique<VorbisEncoder>(recipe);
    if (!vorbis->Ok()) return platform::Status::Failure("the Vorbis encoder refused the sound settings");
  }
  auto addVideo = [&] {
    videoIndex = muxer.AddStream(recipe.serial, [&theora](std::int64_t g) { return theora->GranuleTime(g); });
  };
  auto addAudio = [&] {
    audioIndex = muxer.AddStream(recipe.serial + 1, [&vorbis](std::int64_t g) { return vorbis->GranuleTime(g); });
  };
  // Stream order decides the order of the first pages.
  if (recipe.audioFirst && recipe.audio) addAudio();
  if (recipe.video) addVideo();
  if (recipe.extraStream) caption = std::make_unique<CaptionStream>(muxer, recipe.serial + 2);
  if (!recipe.audioFirst && recipe.audio) addAudio();

  // Identification headers first, in stream order; then the others.
  std::vector<KeptPacket> videoHeaders;
  std::vector<KeptPacket> audioHeaders;
  if (theora && !theora->Headers([&](ogg_packet& p) { videoHeaders.emplace_back(p); })) {
    return platform::Status::Failure("the Theora encoder gave no headers");
  }
  if (vorbis) vorbis->Headers([&](ogg_packet& p) { audioHeaders.emplace_back(p); });
  for (int pass = 0; pass < 2; ++pass) {
    auto give = [&](std::vector<KeptPacket>& headers, int index) {
      for (std::size_t i = 0; i < headers.size(); ++i) {
        if ((i == 0) == (pass == 0)) muxer.HeaderPacket(index, headers[i].Get());
      }
    };
    if (recipe.audioFirst && vorbis) give(audioHeaders, audioIndex);
    if (theora) give(videoHeaders, videoIndex);
    if (pass == 0 && caption) caption->Header();
    if (!recipe.audioFirst && vorbis) give(audioHeaders, audioIndex);
  }
  muxer.EndHeaders();

  const double fps = static_cast<double>(recipe.fpsNumerator) / recipe.fpsDenominator;
  const long frames = recipe.video ? std::max(1L, std::lround(recipe.seconds * fps)) : 0;
  const long samples = recipe.audio ? std::lround(recipe.seconds * recipe.sampleRate) : 0;
  const long seconds = static_cast<long>(std::ceil(recipe.seconds));
  Tone tone(recipe.audio ? recipe.sampleRate : 1);
  auto toneSource = [&](float** channels, int count) { tone.Fill(channels, recipe.channels, count); };
  auto videoSink = [&](ogg_packet& p) { muxer.Stream(videoIndex).PacketIn(p); };
  auto audioSink = [&](ogg_packet& p) { muxer.Stream(audioIndex).PacketIn(p); };

  // Step through time one picture (or, without pictures, one tenth of a
  // second) at a time so that the streams' pages come out interleaved.
  constexpr double kAudioOnlyStep = 0.1;
  const double step = recipe.video ? 1.0 / fps : kAudioOnlyStep;
  const long steps = recipe.video ? frames : std::lround(std::ceil(recipe.seconds / kAudioOnlyStep));
  long samplesDone = 0;
  long secondsDone = 0;
  for (long k = 0; k < steps; ++k) {
    if (theora) {
      if (!theora->Encode(card->Draw(k), k + 1 == frames, videoSink)) {
        return platform::Status::Failure("the Theora encoder failed on picture " + std::to_string(k));
      }
      muxer.CollectPages(videoIndex, false);
    }
    if (vorbis) {
      const long until = std::min(samples, std::lround((static_cast<double>(k) + 1) * step * recipe.sampleRate));
      if (until > samplesDone) {
        vorbis->Encode(static_cast<int>(until - samplesDone), toneSource, audioSink);
        samplesDone = until;
        muxer.CollectPages(audioIndex, false);
      }
    }
    while (caption && secondsDone < seconds && static_cast<double>(secondsDone) <= (static_cast<double>(k) + 1) * step) {
      caption->Second(secondsDone, secondsDone + 1 == seconds);
      ++secondsDone;
    }
  }
  if (vorbis) {
    if (samples > samplesDone) vorbis->Encode(static_cast<int>(samples - samplesDone), toneSource, audioSink);
    vorbis->Encode(0, toneSource, audioSink);
  }
  while (caption && secondsDone < seconds) {
    caption->Second(secondsDone, secondsDone + 1 == seconds);
    ++secondsDone;
  }
  return muxer.Finish();
}

}  // namespace kestrova::encoder
