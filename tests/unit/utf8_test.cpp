#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace kestrova::platform {
namespace {

TEST(Utf8, EveryPlaneRoundTripsAndInvalidCodePointsAreReplacedOnOutput) {
  const std::wstring text = L"a\u00e9\u0416\u20ac\U0001F4FA";
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(text)), text);
  EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(EncodeUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
  EXPECT_FALSE(DecodeUtf8("\xF4\x90\x80\x80").has_value());  // above U+10FFFF
  EXPECT_FALSE(DecodeUtf8("\xFF").has_value());
  EXPECT_FALSE(DecodeUtf8("\x80").has_value());
  EXPECT_EQ(DecodeUtf8(""), L"");
}

}  // namespace
}  // namespace kestrova::platform
