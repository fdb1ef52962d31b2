// The security string of new accounts: the one table shared by client and
// server, and the decoding rules the client relies on.
#include <gtest/gtest.h>

#include <set>

#include "shared/security_string.h"

namespace kestrova::shared {
namespace {

// The code characters for a plain text, through the shared table.
std::string Encode(std::string_view plain) {
  std::string code;
  for (const char c : plain) {
    for (std::size_t i = 0; i + 1 < kSecurityTable.size(); i += 2) {
      if (kSecurityTable[i + 1] == c && kSecurityTable[i] != ' ') {
        code.push_back(kSecurityTable[i]);
        break;
      }
    }
  }
  return code;
}

TEST(SecurityStringTest, TableIsThirtySixDistinctPairsClosedByTwoBlanks) {
  ASSERT_EQ(kSecurityTable.size(), 74u);
  EXPECT_EQ(kSecurityTable.substr(72), "  ");
  std::set<char> codes, plains;
  const std::string_view allowed = "abcdefghijklmnopqrstuvwxyz0123456789,.";
  for (std::size_t i = 0; i < 72; i += 2) {
    EXPECT_NE(allowed.find(kSecurityTable[i]), std::string_view::npos) << i;
    EXPECT_NE(allowed.find(kSecurityTable[i + 1]), std::string_view::npos) << i;
    codes.insert(kSecurityTable[i]);
    plains.insert(kSecurityTable[i + 1]);
  }
  // Distinct code characters make decoding unambiguous, distinct plain ones encoding.
  EXPECT_EQ(codes.size(), 36u);
  EXPECT_EQ(plains.size(), 36u);
  EXPECT_EQ(PlainAlphabet().size(), 36u);
}

TEST(SecurityStringTest, EvenPositionsFormTheLoginOddOnesThePassword) {
  const auto decoded = DecodeSecurityString(Encode("a1b2c3d4e5f6g7h8"));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->login, "abcdefgh");
  EXPECT_EQ(decoded->password, "12345678");

  const std::string code = Encode("a1b2c3d4e5f6g7h8");
  const auto wide = DecodeSecurityString(std::wstring(code.begin(), code.end()));
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->login, L"abcdefgh");
  EXPECT_EQ(wide->password, L"12345678");
}

TEST(SecurityStringTest, EncodingAndDecodingMeet) {
  const auto encoded = EncodeSecurityString("k0tz9x1a", "pp3q7rm2");
  ASSERT_TRUE(encoded);
  EXPECT_EQ(encoded->size(), 16u);
  const auto decoded = DecodeSecurityString(*encoded);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->login, "k0tz9x1a");
  EXPECT_EQ(decoded->password, "pp3q7rm2");
}

TEST(SecurityStringTest, CharactersOutsideTheTableAreDroppedAndTheLengthDecides) {
  const std::string valid = Encode("a1b2c3d4e5f6g7h8");
  // Blanks, capitals and other bytes are not in the table: dropped.
  const auto with_noise = DecodeSecurityString("  " + valid.substr(0, 5) + "XY!" + valid.substr(5) + " \xD0\x96");
  ASSERT_TRUE(with_noise);
  EXPECT_EQ(with_noise->login, "abcdefgh");

  EXPECT_FALSE(DecodeSecurityString(valid.substr(0, 15)));       // 15 characters
  EXPECT_FALSE(DecodeSecurityString(valid + valid.substr(0, 1)));  // 17 characters
  EXPECT_FALSE(DecodeSecurityString(""));
  EXPECT_FALSE(DecodeSecurityString(std::string(40, 'Z')));  // nothing decodes
  EXPECT_FALSE(DecodeSecurityString(std::string(100000, valid[0])));
}

TEST(SecurityStringTest, EncodingRefusesWhatCannotDecode) {
  EXPECT_FALSE(EncodeSecurityString("short", "pp3q7rm2"));
  EXPECT_FALSE(EncodeSecurityString("k0tz9x1a", "toolong12"));
  EXPECT_FALSE(EncodeSecurityString("K0TZ9X1A", "pp3q7rm2"));  // capitals are not in the alphabet
  EXPECT_FALSE(EncodeSecurityString("k0tz9x1a", "pp3q7r.2"));  // nor "." as a plain character
}

}  // namespace
}  // namespace kestrova::shared
