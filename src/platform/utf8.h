// UTF-8 <-> wide text conversion at the edges of the program (files, wire,
// font rendering). Inside, all text is std::wstring holding Unicode code points.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrova::platform {

// Strict decoding: overlong forms, surrogates, code points above U+10FFFF and
// truncated sequences make the whole text invalid (nullopt).
std::optional<std::wstring> DecodeUtf8(std::string_view text);

// Encodes every code point; values that are not Unicode scalar values
// (surrogates, above U+10FFFF) become U+FFFD so the output is always valid.
std::string EncodeUtf8(std::wstring_view text);

}  // namespace kestrova::platform
