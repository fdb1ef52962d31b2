// Test segments made by the encoder tool at build time, scratch copies of
// them (whole, cut short or damaged), and a reader with everything it needs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "player/segment_events.h"
#include "player/segment_reader.h"

namespace kestrova::player::test {

std::filesystem::path SegmentPath(const std::string& name);

// Whether an RGB 5-6-5 pixel shows colour bar `bar` of the test card (lossy
// coding and 5-6-5 pixels leave each colour within a tolerance).
::testing::AssertionResult IsBar(std::uint16_t pixel, int bar);
std::string ReadBytes(const std::filesystem::path& file);

// A folder of its own for each test, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Writes bytes to a new file in the folder.
  std::filesystem::path Write(const std::string& name, const std::string& bytes) const;
  // A copy of a test segment, optionally changed on the way.
  std::filesystem::path Copy(const std::string& segment, const std::function<void(std::string&)>& change = {}) const;

 private:
  std::filesystem::path folder_;
};

struct RecordedEvents : SegmentEvents {
  void SegmentOpened(const std::wstring& programme) override { opened.push_back(programme); }
  void SegmentFinished() override { ++finished; }
  void SegmentChecked(bool plays) override { ++(plays ? playing : refused); }
  std::vector<std::wstring> opened;
  int finished = 0;
  int playing = 0;
  int refused = 0;
};

// A reader with its streams and a recorder of its notifications.
struct ReaderRig {
  ReaderRig() { reader.SetEvents(&events); }
  void Queue(const std::filesystem::path& file, const std::wstring& programme = L"programme") {
    reader.Queue().Append({file, programme});
  }
  // Opens the segment at entry 0 and reads blocks of `blockSize` bytes until
  // the segment ends; the number of blocks read. -1 when it cannot be opened.
  int OpenAndDrain(std::size_t blockSize);
  // Fetches the current picture as the video output does.
  std::optional<YCbCrPicture> Fetch();

  TheoraStream video;
  VorbisStream audio;
  SegmentReader reader{video, audio};
  RecordedEvents events;
  std::vector<std::uint8_t> block;
};

}  // namespace kestrova::player::test
