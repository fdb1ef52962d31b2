#include "segment_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

#include <unistd.h>

#include "segment_encoder/test_card_geometry.h"

namespace kestrova::player::test {

std::filesystem::path SegmentPath(const std::string& name) {
  return std::filesystem::path(KESTROVA_PLAYER_SEGMENTS) / (name + ".ogg");
}

::testing::AssertionResult IsBar(std::uint16_t pixel, int bar) {
  constexpr int kTolerance = 28;
  const auto& want = encoder::kBarColours[static_cast<std::size_t>(bar)];
  const int r = (pixel >> 11) << 3;
  const int g = ((pixel >> 5) & 0x3F) << 2;
  const int b = (pixel & 0x1F) << 3;
  if (std::abs(r - want.red) <= kTolerance && std::abs(g - want.green) <= kTolerance &&
      std::abs(b - want.blue) <= kTolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "bar " << bar << ": got " << r << "," << g << "," << b;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> count{0};
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = std::filesystem::temp_directory_path() /
            ("kestrova-player-" + std::to_string(::getpid()) + "-" + std::to_string(count++) + "-" +
             (test != nullptr ? test->name() : "test"));
  std::filesystem::create_directories(folder_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path ScratchFolder::Write(const std::string& name, const std::string& bytes) const {
  const auto file = folder_ / name;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::filesystem::path ScratchFolder::Copy(const std::string& segment, const std::function<void(std::string&)>& change) const {
  std::string bytes = ReadBytes(SegmentPath(segment));
  EXPECT_FALSE(bytes.empty()) << segment;
  if (change) change(bytes);
  static std::atomic<int> copies{0};
  return Write(segment + "-" + std::to_string(copies++) + ".ogg", bytes);
}

int ReaderRig::OpenAndDrain(std::size_t blockSize) {
  if (!reader.OpenSegment()) return -1;
  block.assign(blockSize, 0);
  int blocks = 0;
  while (reader.ReadBlock(block)) {
    ++blocks;
    Fetch();  // as the video output does for every block played
  }
  return blocks;
}

std::optional<YCbCrPicture> ReaderRig::Fetch() {
  const std::lock_guard guard(video.Lock());
  auto picture = video.FetchPicture();
  video.SwitchDecoder();
  return picture;
}

}  // namespace kestrova::player::test
