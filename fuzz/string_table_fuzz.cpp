// A language file on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "resources/string_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  const auto texts = kestrova::resources::StringTable::ParseLanguageFile(text);
  static_cast<void>(texts);
  return 0;
}
