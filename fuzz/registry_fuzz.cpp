// The registry file parser on arbitrary text; what it keeps must survive
// being written and read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  using kestrova::platform::Registry;
  const std::string text(reinterpret_cast<const char*>(bytes), size);
  const Registry::KeyMap keys = Registry::Parse(text);
  const std::string written = Registry::Serialise(keys);
  if (Registry::Serialise(Registry::Parse(written)) != written) std::abort();
  return 0;
}
