#include "platform/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace kestrova::platform {
namespace {

using test::TempDir;

TEST(Registry, AllThreeTypesSurviveAWriteAndAFreshRead) {
  TempDir dir;
  const auto file = dir / "sub/registry.reg";
  {
    Registry registry(file);
    registry.SetDword(L"Software\\Orvanta", L"AffiliateID", 0xFFFFFFFFU);
    registry.SetString(L"Software\\Orvanta\\Kestrova\\Settings", L"strLogin", L"Jos\u00e9 \"q\" C:\\x\n\u0416");
    registry.SetString(L"Software\\Orvanta\\Kestrova\\Settings", L"strEmpty", L"");
    registry.SetBinary(L"Software\\Orvanta", L"Blob", {0x00, 0x7F, 0xFF});
    registry.SetBinary(L"Software\\Orvanta", L"NoBytes", {});
    ASSERT_TRUE(registry.Flush());
    EXPECT_FALSE(registry.HasPendingChanges());
  }
  Registry again(file);
  EXPECT_EQ(again.QueryDword(L"Software\\Orvanta", L"AffiliateID"), 0xFFFFFFFFU);
  EXPECT_EQ(again.QueryString(L"Software\\Orvanta\\Kestrova\\Settings", L"strLogin"),
            L"Jos\u00e9 \"q\" C:\\x\n\u0416");
  EXPECT_EQ(again.QueryString(L"Software\\Orvanta\\Kestrova\\Settings", L"strEmpty"), L"");
  const auto blob = again.Query(L"Software\\Orvanta", L"Blob");
  ASSERT_TRUE(blob.has_value());
  EXPECT_EQ(blob->type, RegType::Binary);
  EXPECT_EQ(blob->bytes, (std::vector<std::uint8_t>{0x00, 0x7F, 0xFF}));
  EXPECT_EQ(again.Query(L"Software\\Orvanta", L"NoBytes")->Size(), 0U);

  const std::string text = test::ReadFile(file);
  EXPECT_TRUE(text.starts_with("REGEDIT4\n"));
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Orvanta]"), std::string::npos);
  EXPECT_NE(text.find("\"AffiliateID\"=dword:ffffffff"), std::string::npos);
}

TEST(Registry, NamesAreMatchedWithoutRegardToLetterCase) {
  TempDir dir;
  Registry registry(dir / "r.reg");
  registry.SetDword(L"Software\\Orvanta", L"iLinkID", 1);
  EXPECT_EQ(registry.QueryDword(L"SOFTWARE\\orvanta", L"ilinkid"), 1U);
  EXPECT_TRUE(registry.KeyExists(L"software\\ORVANTA\\"));
  registry.SetDword(L"software\\orvanta", L"ILINKID", 2);
  EXPECT_EQ(registry.QueryDword(L"Software\\Orvanta", L"iLinkID"), 2U);
}

TEST(Registry, OnlyFourByteValuesReadAsDwords) {
  TempDir dir;
  Registry registry(dir / "r.reg");
  registry.SetBinary(L"K", L"two", {1, 2});
  registry.SetBinary(L"K", L"four", {0x02, 0x01, 0x00, 0x00});
  registry.SetString(L"K", L"text", L"a");  // four bytes as UTF-16 with terminator, but a string
  EXPECT_FALSE(registry.QueryDword(L"K", L"two").has_value());
  EXPECT_EQ(registry.QueryDword(L"K", L"four"), 0x0102U);
  EXPECT_FALSE(registry.QueryDword(L"K", L"text").has_value());
  EXPECT_FALSE(registry.QueryDword(L"K", L"absent").has_value());
  EXPECT_FALSE(registry.QueryString(L"K", L"four").has_value());
}

TEST(Registry, CorruptLinesAreSkippedAndTheRestIsKept) {
  const std::string text =
      "\xEF\xBB\xBFREGEDIT4\n"
      "\"orphan\"=dword:00000001\n"                 // before any key
      "[HKEY_CURRENT_USER\\Software\\Orvanta]\r\n"  // CRLF line ends
      "\"AffiliateID\"=dword:00000005\r\n"
      "\"TooLong\"=dword:123456789\n"
      "\"NotHex\"=dword:12g4\n"
      "\"Unterminated\"=\"abc\n"
      "\"BadEscape\"=\"a\\q\"\n"
      "\"Trailing\"=\"abc\" junk\n"
      "\"OddHex\"=hex:0,1\n"
      "\"Expand\"=hex(2):41,00\n"
      "\"BadUtf8\"=\"\xC3\x28\"\n"
      "garbage without equals\n"
      "\"Split\"=hex:01,02,\\\n"
      "  03,04\n"
      "; a comment\n"
      "@=\"default\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Other]\n"
      "\"Foreign\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\Broken\n"
      "\"AfterBrokenHeader\"=dword:00000001\n"
      "[HKEY_CURRENT_USER\\Software\\Orvanta\\Kestrova\\Settings]\n"
      "\"strLogin\"=\"user\"\n"
      "\"Last\"=dword:0000000a";  // no final line feed
  const auto keys = Registry::Parse(text);
  ASSERT_EQ(keys.size(), 2U);
  const auto& orvanta = keys.at(L"software\\orvanta");
  EXPECT_EQ(orvanta.values.size(), 3U);  // AffiliateID, Split, default
  EXPECT_EQ(orvanta.values.at(L"affiliateid").second.dword, 5U);
  EXPECT_EQ(orvanta.values.at(L"split").second.bytes, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(orvanta.values.at(L"").second.text, L"default");
  const auto& settings = keys.at(L"software\\orvanta\\kestrova\\settings");
  EXPECT_EQ(settings.values.at(L"strlogin").second.text, L"user");
  EXPECT_EQ(settings.values.at(L"last").second.dword, 10U);
}

TEST(Registry, MissingOrGarbageFilesReadAsEmpty) {
  TempDir dir;
  EXPECT_FALSE(Registry(dir / "absent.reg").KeyExists(L"Software\\Orvanta"));

  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
  garbage += "\n[\n]\n\"\n=\n\\\n";
  const auto file = dir.Write("garbage.reg", garbage);
  Registry registry(file);
  EXPECT_FALSE(registry.Query(L"Software\\Orvanta", L"AffiliateID").has_value());

  // A directory where the file should be reads as empty too.
  std::filesystem::create_directory(dir / "dir.reg");
  EXPECT_FALSE(Registry(dir / "dir.reg").KeyExists(L"x"));
}

TEST(Registry, FlushReplacesTheFileAtomicallyWithPrivateMode) {
  TempDir dir;
  const auto file = dir / "registry.reg";
  Registry registry(file);
  registry.SetDword(L"K", L"v", 1);
  ASSERT_TRUE(registry.Flush());

  struct stat info{};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777U, 0600U);
  const auto inodeBefore = info.st_ino;

  registry.SetDword(L"K", L"v", 2);
  ASSERT_TRUE(registry.Flush());
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_NE(info.st_ino, inodeBefore);  // a new file renamed into place, not rewritten in place

  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1);  // no temporary file left behind
}

TEST(Registry, FlushKeepsValuesWrittenMeanwhileByAnotherWriter) {
  TempDir dir;
  const auto file = dir / "registry.reg";
  Registry program(file);  // loaded before the installer ran
  {
    Registry installer(file);
    installer.SetDword(L"Software\\Orvanta", L"AffiliateID", 7);
    ASSERT_TRUE(installer.Flush());
  }
  program.SetString(L"Software\\Orvanta\\Kestrova\\Settings", L"strLogin", L"me");
  ASSERT_TRUE(program.Flush());

  Registry after(file);
  EXPECT_EQ(after.QueryDword(L"Software\\Orvanta", L"AffiliateID"), 7U);
  EXPECT_EQ(after.QueryString(L"Software\\Orvanta\\Kestrova\\Settings", L"strLogin"), L"me");
}

TEST(Registry, AFailedFlushKeepsTheChangesPending) {
  TempDir dir;
  dir.Write("blocker", "a file where a folder is needed");
  Registry registry(dir / "blocker" / "registry.reg");
  registry.SetDword(L"K", L"v", 1);
  EXPECT_FALSE(registry.Flush());
  EXPECT_TRUE(registry.HasPendingChanges());
  EXPECT_EQ(registry.QueryDword(L"K", L"v"), 1U);
}

}  // namespace
}  // namespace kestrova::platform
