// The skin archive "data.dat": every skin image file of the program, by its
// bare file name, read into memory once at start-up.
//
// File layout (little-endian, no header, no padding): a signed 32-bit entry
// count, then per entry a signed 32-bit name length, the name's bytes, a
// signed 32-bit data length and the data bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace kestrova::resources {

class SkinArchive {
 public:
  // Reads the file; fails when it cannot be opened (the archive then stays
  // empty). A damaged file (a length that is negative or runs past the end)
  // fails too but keeps the entries read completely before the damage.
  platform::Status Load(const std::filesystem::path& file);
  // The same for the archive's bytes in memory.
  platform::Status LoadFromBytes(std::string_view bytes);

  // The length of the first entry with exactly this name (case-sensitive) and
  // its data through `data`; 0 and `data` untouched when there is none.
  std::size_t Find(std::wstring_view name, const std::uint8_t** data) const;

  std::size_t Count() const { return entries_.size(); }

 private:
  struct Entry {
    std::wstring name;
    std::vector<std::uint8_t> data;
  };
  std::vector<Entry> entries_;
};

// The process-wide skin archive, constructed on first use.
SkinArchive& Skins();

// Builds an archive's bytes from named files, in the order given (used by the
// build's packing step).
struct SkinArchiveFile {
  std::string name;
  std::vector<std::uint8_t> data;
};
std::string BuildSkinArchive(const std::vector<SkinArchiveFile>& files);

}  // namespace kestrova::resources
