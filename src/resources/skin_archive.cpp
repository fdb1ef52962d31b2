#include "resources/skin_archive.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

#include "platform/utf8.h"

namespace kestrova::resources {

namespace {

// Reads little-endian fields from a byte range without ever passing its end.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  bool ReadInt32(std::int32_t& value) {
    if (Remaining() < 4) return false;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8U) | static_cast<std::uint8_t>(bytes_[pos_ + static_cast<std::size_t>(i)]);
    pos_ += 4;
    value = static_cast<std::int32_t>(v);
    return true;
  }

  bool ReadBytes(std::int32_t length, std::string_view& out) {
    if (length < 0 || static_cast<std::size_t>(length) > Remaining()) return false;
    out = bytes_.substr(pos_, static_cast<std::size_t>(length));
    pos_ += static_cast<std::size_t>(length);
    return true;
  }

  std::size_t Remaining() const { return bytes_.size() - pos_; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// Names are plain file names; one that is not UTF-8 is taken byte for byte.
std::wstring WidenName(std::string_view name) {
  if (auto wide = platform::DecodeUtf8(name)) return *wide;
  std::wstring out;
  for (const char c : name) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return out;
}

void AppendInt32(std::string& out, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (unsigned shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((v >> shift) & 0xFFU));
}

}  // namespace

platform::Status SkinArchive::Load(const std::filesystem::path& file) {
  entries_.clear();
  std::ifstream in(file, std::ios::binary);
  if (!in) return platform::Status::Failure("cannot open " + file.string());
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return platform::Status::Failure("cannot read " + file.string());
  platform::Status loaded = LoadFromBytes(bytes);
  if (!loaded) return platform::Status::Failure(file.string() + ": " + loaded.Reason());
  return loaded;
}

platform::Status SkinArchive::LoadFromBytes(std::string_view bytes) {
  entries_.clear();
  Reader reader(bytes);
  std::int32_t count = 0;
  if (!reader.ReadInt32(count) || count < 0) return platform::Status::Failure("no entry count");
  // Every entry takes at least its two length fields, so a hostile count
  // cannot make us reserve more than the file could hold.
  entries_.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), reader.Remaining() / 8));
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t nameLength = 0;
    std::int32_t dataLength = 0;
    std::string_view name;
    std::string_view data;
    if (!reader.ReadInt32(nameLength) || !reader.ReadBytes(nameLength, name) || !reader.ReadInt32(dataLength) ||
        !reader.ReadBytes(dataLength, data)) {
      return platform::Status::Failure("damaged after " + std::to_string(i) + " of " + std::to_string(count) +
                                       " entries");
    }
    Entry entry;
    entry.name = WidenName(name);
    entry.data.assign(data.begin(), data.end());
    entries_.push_back(std::move(entry));
  }
  return {};
}

std::size_t SkinArchive::Find(std::wstring_view name, const std::uint8_t** data) const {
  for (const auto& entry : entries_) {
    if (entry.name == name) {
      if (data != nullptr) *data = entry.data.data();
      return entry.data.size();
    }
  }
  return 0;
}

SkinArchive& Skins() {
  static SkinArchive archive;
  return archive;
}

std::string BuildSkinArchive(const std::vector<SkinArchiveFile>& files) {
  std::string out;
  AppendInt32(out, static_cast<std::int32_t>(files.size()));
  for (const auto& file : files) {
    AppendInt32(out, static_cast<std::int32_t>(file.name.size()));
    out += file.name;
    AppendInt32(out, static_cast<std::int32_t>(file.data.size()));
    out.append(reinterpret_cast<const char*>(file.data.data()), file.data.size());
  }
  return out;
}

}  // namespace kestrova::resources
