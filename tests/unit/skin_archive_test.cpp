#include "resources/skin_archive.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kestrova::resources {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

std::string Int32(std::int32_t v) {
  std::string out;
  for (unsigned shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> shift) & 0xFFU));
  return out;
}

std::string FindText(const SkinArchive& archive, std::wstring_view name) {
  const std::uint8_t* data = nullptr;
  const std::size_t length = archive.Find(name, &data);
  return length == 0 ? std::string() : std::string(reinterpret_cast<const char*>(data), length);
}

TEST(SkinArchive, FindsTheFirstOfTwoEqualNamesCaseSensitively) {
  SkinArchive archive;
  ASSERT_TRUE(archive.LoadFromBytes(BuildSkinArchive({{"bg_top_line.png", Bytes("first")},
                                                      {"bg_top_line.png", Bytes("second")},
                                                      {"Icon_TV.png", Bytes("tv")}})));
  EXPECT_EQ(archive.Count(), 3U);
  EXPECT_EQ(FindText(archive, L"bg_top_line.png"), "first");
  EXPECT_EQ(FindText(archive, L"Icon_TV.png"), "tv");
  EXPECT_EQ(FindText(archive, L"icon_tv.png"), "");
  EXPECT_EQ(FindText(archive, L"bg_top_line"), "");  // whole names only
  EXPECT_EQ(FindText(archive, L"bg_top_line.png2"), "");
}

TEST(SkinArchive, AnEmptyEntryIsFoundWithLengthZeroAndAMissOnlyReturnsZero) {
  SkinArchive archive;
  ASSERT_TRUE(archive.LoadFromBytes(BuildSkinArchive({{"empty.png", {}}, {"full.png", Bytes("x")}})));
  const std::uint8_t sentinel = 0;
  const std::uint8_t* data = &sentinel;
  EXPECT_EQ(archive.Find(L"absent.png", &data), 0U);
  EXPECT_EQ(data, &sentinel);  // untouched on a miss
  EXPECT_EQ(archive.Find(L"empty.png", &data), 0U);
  EXPECT_EQ(FindText(archive, L"full.png"), "x");
}

TEST(SkinArchive, ADamagedFileKeepsTheEntriesBeforeTheDamageAndIsReported) {
  const std::string good = BuildSkinArchive({{"a.png", Bytes("AAAA")}, {"b.png", Bytes("BBBB")}});
  // Cut at every possible length: never a crash, only whole entries, and
  // every cut reported.
  for (std::size_t cut = 0; cut <= good.size(); ++cut) {
    SkinArchive archive;
    const platform::Status loaded = archive.LoadFromBytes(std::string_view(good).substr(0, cut));
    EXPECT_EQ(loaded.Ok(), cut == good.size()) << cut << ": " << loaded.Reason();
    const std::size_t firstEnd = 4 + 4 + 5 + 4 + 4;
    EXPECT_EQ(archive.Count(), cut < firstEnd ? 0U : (cut < good.size() ? 1U : 2U)) << cut;
    if (archive.Count() >= 1) {
      EXPECT_EQ(FindText(archive, L"a.png"), "AAAA");
    }
  }

  SkinArchive negative;
  EXPECT_EQ(negative.LoadFromBytes(Int32(2) + Int32(5) + "a.png" + Int32(1) + "A" + Int32(5) + "b.png" + Int32(-4)).Reason(),
            "damaged after 1 of 2 entries");
  EXPECT_EQ(negative.Count(), 1U);

  SkinArchive negativeName;
  EXPECT_FALSE(negativeName.LoadFromBytes(Int32(1) + Int32(-1) + "xxxx"));
  EXPECT_EQ(negativeName.Count(), 0U);

  SkinArchive negativeCount;
  EXPECT_FALSE(negativeCount.LoadFromBytes(Int32(-5) + Int32(1) + "a" + Int32(0)));
  EXPECT_EQ(negativeCount.Count(), 0U);
}

TEST(SkinArchive, AHostileCountOrLengthAllocatesNothingBeyondTheFile) {
  // Two billion entries announced in a 13-byte file; a length near 2 GiB.
  SkinArchive archive;
  EXPECT_FALSE(archive.LoadFromBytes(Int32(0x7FFFFFFF) + Int32(1) + "a" + Int32(0)));
  EXPECT_EQ(archive.Count(), 1U);
  EXPECT_FALSE(archive.LoadFromBytes(Int32(1) + Int32(1) + "a" + Int32(0x7FFFFFF0) + "tiny"));
  EXPECT_EQ(archive.Count(), 0U);
}

TEST(SkinArchive, LoadReadsAFileAndReportsOneThatCannotBeOpened) {
  test::TempDir dir;
  const auto file = dir.Write("data.dat", BuildSkinArchive({{"divider.png", Bytes("png")}}));
  SkinArchive archive;
  EXPECT_TRUE(archive.Load(file));
  EXPECT_EQ(FindText(archive, L"divider.png"), "png");
  const platform::Status absent = archive.Load(dir / "absent.dat");
  EXPECT_NE(absent.Reason().find("absent.dat"), std::string::npos) << absent.Reason();
  EXPECT_EQ(archive.Count(), 0U);
  EXPECT_FALSE(std::filesystem::exists(dir / "absent.dat"));  // nothing is created
}

}  // namespace
}  // namespace kestrova::resources
