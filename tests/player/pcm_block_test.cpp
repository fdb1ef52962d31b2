#include <gtest/gtest.h>

#include "player/pcm_block.h"

namespace kestrova::player {
namespace {

TEST(PcmBlock, SamplesShiftToSixteenBitsAndClampOutsideTheRange) {
  EXPECT_EQ(PcmSample(512), 1);
  EXPECT_EQ(PcmSample(-512), -1);
  EXPECT_EQ(PcmSample(16777215), 32767);
  EXPECT_EQ(PcmSample(-16777216), -32768);
  EXPECT_EQ(PcmSample(16777216), 32767);
  EXPECT_EQ(PcmSample(-16777217), -32768);
  EXPECT_EQ(PcmSample(INT32_MAX), 32767);
  EXPECT_EQ(PcmSample(INT32_MIN), -32768);
}

TEST(PcmBlock, OneFramePeriodInWholeSampleFrames) {
  EXPECT_EQ(PcmBlockSize(2, 22050, 15, 1), 5880U);
  EXPECT_EQ(PcmBlockSize(2, 44100, 25, 1), 7056U);
  // 44.1 kHz stereo at 29.97 fps is 5885.88 bytes: 5885 would never fill.
  EXPECT_EQ(PcmBlockSize(2, 44100, 30000, 1001), 5884U);
  EXPECT_EQ(PcmBlockSize(1, 44100, 30000, 1001) % 2, 0U);
  EXPECT_EQ(PcmBlockSize(6, 48000, 24000, 1001) % 12, 0U);
  EXPECT_EQ(PcmBlockSize(0, 44100, 25, 1), 0U);
  EXPECT_EQ(PcmBlockSize(2, 44100, 0, 1), 0U);
  EXPECT_EQ(PcmBlockSize(2, 44100, 25, 0), 0U);
}

TEST(PcmBlock, HeaderValuesTooLargeForAnyBlockGiveNone) {
  // A damaged segment: rate and frame-rate denominator near 2^32 overflow
  // 64 bits; smaller ones still ask for terabytes.
  EXPECT_EQ(PcmBlockSize(2, 0xFFFFFFFFL, 1, 0xFFFFFFFFL), 0U);
  EXPECT_EQ(PcmBlockSize(255, 0x7FFFFFFFL, 1, 1), 0U);
  EXPECT_EQ(PcmBlockSize(8, 192000, 1, 1), 3072000U);
}

}  // namespace
}  // namespace kestrova::player
