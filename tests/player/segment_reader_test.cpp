#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <ogg/ogg.h>

#include "player/pcm_block.h"
#include "segment_files.h"

namespace kestrova::player::test {
namespace {

// 15 fps with 22050 Hz stereo: the qcif15 segments.
constexpr std::size_t kQcifBlock = 5880;
// A 2-second segment has 30 pictures; the decoder's first audio packet
// yields no sound, so the last picture may lack a full block.
constexpr int kQcifMinBlocks = 28;
constexpr int kQcifMaxBlocks = 30;

// Makes the segment's Theora identification header declare a coded frame
// of the given size in 16 x 16 blocks, the picture region left as it is,
// and seals the page with a fresh checksum.
void DeclareFrameBlocks(std::string& bytes, int blocksWide, int blocksHigh) {
  const std::size_t header = bytes.find("\x80theora");
  const std::size_t page = bytes.rfind("OggS", header);
  ASSERT_NE(header, std::string::npos);
  ASSERT_NE(page, std::string::npos);
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  constexpr std::size_t kFrameBlocks = 10;  // after the type byte, "theora" and the version
  data[header + kFrameBlocks] = static_cast<unsigned char>(blocksWide >> 8);
  data[header + kFrameBlocks + 1] = static_cast<unsigned char>(blocksWide & 0xFF);
  data[header + kFrameBlocks + 2] = static_cast<unsigned char>(blocksHigh >> 8);
  data[header + kFrameBlocks + 3] = static_cast<unsigned char>(blocksHigh & 0xFF);
  constexpr std::size_t kSegmentCount = 26;
  ogg_page sealed{};
  sealed.header = data + page;
  sealed.header_len = static_cast<long>(27 + data[page + kSegmentCount]);
  for (long i = 0; i < data[page + kSegmentCount]; ++i) sealed.body_len += data[page + 27 + static_cast<std::size_t>(i)];
  sealed.body = sealed.header + sealed.header_len;
  ogg_page_checksum_set(&sealed);
}

bool Audible(const std::vector<std::uint8_t>& block) {
  return std::any_of(block.begin(), block.end(), [](std::uint8_t b) { return b != 0; });
}

TEST(SegmentReader, ReadsOnePictureAndOneFramePeriodOfSoundPerBlock) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("qcif15"), L"Новости");
  ASSERT_TRUE(rig.reader.OpenSegment());
  EXPECT_EQ(rig.events.opened, std::vector<std::wstring>{L"Новости"});
  EXPECT_EQ(rig.audio.Channels(), 2);
  EXPECT_EQ(rig.audio.Rate(), 22050);
  EXPECT_TRUE(rig.audio.FormatChanged());
  EXPECT_EQ(rig.video.Info().fps_numerator, 15U);
  ASSERT_EQ(PcmBlockSize(rig.audio.Channels(), rig.audio.Rate(), 15, 1), kQcifBlock);

  std::vector<std::uint8_t> block(kQcifBlock);
  int blocks = 0;
  bool sound = false;
  while (rig.reader.ReadBlock(block)) {
    ++blocks;
    sound = sound || Audible(block);
    const std::lock_guard guard(rig.video.Lock());
    EXPECT_EQ(rig.video.PendingInCurrent(), 1);
    const auto picture = rig.video.FetchPicture();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->luma.width, 176);
    EXPECT_EQ(picture->luma.height, 144);
    EXPECT_EQ(picture->cb.width, 88);
    EXPECT_EQ(picture->cb.height, 72);
  }
  EXPECT_GE(blocks, kQcifMinBlocks);
  EXPECT_LE(blocks, kQcifMaxBlocks);
  EXPECT_TRUE(sound);
}

TEST(SegmentReader, SameFormatSegmentGoesOnWithTheRunningDecoders) {
  ScratchFolder folder;
  ReaderRig rig;
  const auto first = folder.Copy("qcif15");
  rig.Queue(first, L"A");
  rig.Queue(folder.Copy("qcif15_next"), L"B");
  EXPECT_GE(rig.OpenAndDrain(kQcifBlock), kQcifMinBlocks);
  rig.reader.FinishSegment();
  EXPECT_EQ(rig.events.finished, 1);
  EXPECT_FALSE(std::filesystem::exists(first));
  EXPECT_EQ(rig.reader.Queue().Size(), 1U);

  EXPECT_GE(rig.OpenAndDrain(kQcifBlock), kQcifMinBlocks + 1);  // sound runs on from the first segment
  EXPECT_EQ(rig.video.DecodersMade(), 1);
  EXPECT_FALSE(rig.audio.FormatChanged());
  EXPECT_EQ(rig.events.opened, (std::vector<std::wstring>{L"A", L"B"}));
}

TEST(SegmentReader, NewFormatDecoderTakesOverOnceOldPicturesAreShown) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("qcif15"));
  rig.Queue(folder.Copy("qvga25"));
  ASSERT_TRUE(rig.reader.OpenSegment());
  std::vector<std::uint8_t> block(kQcifBlock);
  constexpr int kUnshown = 3;  // decoded pictures still waiting for their audio buffers
  for (int i = 0; i < kUnshown; ++i) ASSERT_TRUE(rig.reader.ReadBlock(block));
  rig.reader.FinishSegment();

  ASSERT_TRUE(rig.reader.OpenSegment());
  EXPECT_TRUE(rig.audio.FormatChanged());
  EXPECT_EQ(rig.audio.Rate(), 44100);
  block.assign(PcmBlockSize(2, 44100, 25, 1), 0);
  ASSERT_TRUE(rig.reader.ReadBlock(block));
  ASSERT_TRUE(rig.reader.ReadBlock(block));
  {
    const std::lock_guard guard(rig.video.Lock());
    EXPECT_TRUE(rig.video.HasNextDecoder());
    EXPECT_EQ(rig.video.DecodedInNext(), 2);
    EXPECT_EQ(rig.video.PendingInCurrent(), kUnshown);
  }
  for (int i = 0; i < kUnshown; ++i) EXPECT_EQ(rig.Fetch()->luma.width, 176);
  const auto picture = rig.Fetch();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->luma.width, 320);
  EXPECT_EQ(picture->luma.height, 240);
  EXPECT_EQ(rig.video.PendingInCurrent(), 1);
  EXPECT_EQ(rig.video.DecodersMade(), 2);
}

TEST(SegmentReader, NtscFrameRateWithCdSoundFillsItsBlocks) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("ntsc"));
  EXPECT_GE(rig.OpenAndDrain(PcmBlockSize(2, 44100, 30000, 1001)), 55);  // of 60 pictures
}

TEST(SegmentReader, SegmentsWithOneKindOfStreamEndWithoutBlocks) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("audio_only"));
  rig.Queue(folder.Copy("video_only"));
  EXPECT_EQ(rig.OpenAndDrain(kQcifBlock), 0);
  EXPECT_EQ(rig.reader.VideoHeaders(), 0);
  EXPECT_EQ(rig.reader.AudioHeaders(), 3);
  rig.reader.FinishSegment();
  EXPECT_EQ(rig.OpenAndDrain(kQcifBlock), 0);
  EXPECT_EQ(rig.reader.AudioHeaders(), 0);
  EXPECT_GT(rig.reader.VideoHeaders(), 3);
}

TEST(SegmentReader, AThirdLogicalStreamIsIgnoredWhateverThePageOrder) {
  ScratchFolder folder;
  ReaderRig rig;
  rig.Queue(folder.Copy("three_streams"));
  EXPECT_GE(rig.OpenAndDrain(kQcifBlock), kQcifMinBlocks);
}

TEST(SegmentReader, NothingToOpen) {
  ScratchFolder folder;
  ReaderRig rig;
  std::vector<std::uint8_t> block(kQcifBlock);
  EXPECT_FALSE(rig.reader.ReadBlock(block));  // no file open: the segment has ended
  EXPECT_EQ(rig.reader.OpenSegment().Reason(), "no segment queued");
  rig.Queue(folder.Write("x", "") / "missing.ogg");
  EXPECT_NE(rig.reader.OpenSegment().Reason().find("missing.ogg"), std::string::npos);
  EXPECT_TRUE(rig.events.opened.empty());
}

// Each damaged copy ends its own segment cleanly, and the good segment queued
// after it plays in full.
TEST(SegmentReader, DamagedFilesEndTheirSegmentAndTheNextOnePlays) {
  struct Damage {
    const char* name;
    std::function<void(std::string&)> change;
    bool headersLost;
  };
  const std::vector<Damage> damages = {
      {"empty", [](std::string& b) { b.clear(); }, true},
      {"cut in the headers", [](std::string& b) { b.resize(3000); }, true},
      {"cut in the pictures", [](std::string& b) { b.resize(b.size() * 3 / 4); }, false},
      {"garbage", [](std::string& b) { for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<char>(i * 7919 % 251); }, true},
      {"bits flipped", [](std::string& b) { for (std::size_t i = b.size() * 3 / 5; i < b.size(); i += 499) b[i] = static_cast<char>(b[i] ^ 0x10); }, false},
      {"pages shuffled", [](std::string& b) { std::rotate(b.begin() + std::ptrdiff_t(b.size() * 3 / 5), b.begin() + std::ptrdiff_t(b.size() * 4 / 5), b.end()); }, false},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.name);
    ScratchFolder folder;
    ReaderRig rig;
    rig.Queue(folder.Copy("qcif15", damage.change));
    rig.Queue(folder.Copy("qcif15_next"));
    const int blocks = rig.OpenAndDrain(kQcifBlock);
    if (damage.headersLost) {
      EXPECT_EQ(blocks, -1);
    }
    EXPECT_LT(blocks, kQcifMaxBlocks);
    rig.reader.FinishSegment();
    EXPECT_GE(rig.OpenAndDrain(kQcifBlock), kQcifMinBlocks);
  }
}

// A picture larger than the player shows would only cost memory: its
// segment is refused like a damaged one, and the next segment (of a showable
// size) plays. Each refusal is reported once; the next segment gets a
// decoder of its own.
TEST(SegmentReader, FramesLargerThanShownAreRefusedAndTheNextSegmentPlays) {
  struct Oversize {
    const char* name;
    int blocksWide;
    int blocksHigh;
  };
  for (const Oversize& size : {Oversize{"wider than 1280", 81, 9}, Oversize{"taller than 720", 11, 46},
                               Oversize{"4096 x 2160", 256, 135}, Oversize{"huge", 0xFFFF, 0xFFFF}}) {
    SCOPED_TRACE(size.name);
    ScratchFolder folder;
    ReaderRig rig;
    rig.Queue(folder.Copy("qcif15", [&](std::string& b) { DeclareFrameBlocks(b, size.blocksWide, size.blocksHigh); }));
    rig.Queue(folder.Copy("qcif15_next"));
    EXPECT_EQ(rig.OpenAndDrain(kQcifBlock), 0);
    EXPECT_EQ(rig.video.DecodersMade(), 0);
    rig.reader.FinishSegment();
    EXPECT_EQ(rig.events.refused, 1);
    EXPECT_GE(rig.OpenAndDrain(kQcifBlock), kQcifMinBlocks);
    EXPECT_EQ(rig.video.DecodersMade(), 1);
  }
  // The largest showable frame still gets a decoder.
  th_info info{};
  info.frame_width = TheoraStream::kMaxFrameWidth;
  info.frame_height = TheoraStream::kMaxFrameHeight;
  EXPECT_TRUE(TheoraStream::PictureShowable(info));
}

}  // namespace
}  // namespace kestrova::player::test
