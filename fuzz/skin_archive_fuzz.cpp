// data.dat on arbitrary bytes: loading, then looking up every entry read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "resources/skin_archive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  kestrova::resources::SkinArchive archive;
  const kestrova::platform::Status loaded =
      archive.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(bytes), size));
  if (!loaded.Ok() && loaded.Reason().empty()) std::abort();  // every failure says why
  if (archive.Count() > size) std::abort();  // every entry takes at least 8 bytes
  const std::uint8_t* data = nullptr;
  const std::size_t found = archive.Find(L"bg.png", &data);
  if (found > 0 && data == nullptr) std::abort();
  return 0;
}
