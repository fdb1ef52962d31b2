#include "app/settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include "app/kestrova_doc.h"
#include "platform/file_descriptor.h"
#include "platform/sdl_handles.h"
#include "platform/ui_loop.h"
#include "support/temp_dir.h"

namespace kestrova::app {
namespace {

using platform::Registry;
using test::TempDir;

const ApiBaseUrls kUrls{L"http://primary.test", L"http://alternate.test", std::nullopt};

void WriteDistribution(Registry& registry, std::uint32_t linkId) {
  registry.SetDword(kDistributionKey, L"AffiliateID", 11);
  registry.SetDword(kDistributionKey, L"iFriendID", 12);
  registry.SetDword(kDistributionKey, L"iAgregatorID", 13);
  registry.SetDword(kDistributionKey, L"iLinkID", linkId);
}

TEST(Settings, AFirstRunAfterInstallationGetsEveryProfileDefault) {
  TempDir dir;
  Registry registry(dir / "r.reg");
  WriteDistribution(registry, 0);
  model::SettingsFields fields;
  ASSERT_TRUE(ReadSettings(registry, kUrls, fields));

  model::SettingsFields expected;
  expected.affiliateId = 11;
  expected.friendId = 12;
  expected.agregatorId = 13;
  expected.apiBaseUrl = L"http://primary.test";
  EXPECT_EQ(fields, expected);
  EXPECT_EQ(fields.languageId, -1);  // so the language choice comes first
}

TEST(Settings, LinkIdOneSelectsTheAlternateUrlAndEveryOtherValueThePrimary) {
  for (const std::int32_t link : {1, 0, 2, -1}) {
    TempDir dir;
    Registry registry(dir / "r.reg");
    WriteDistribution(registry, static_cast<std::uint32_t>(link));
    model::SettingsFields fields;
    ASSERT_TRUE(ReadSettings(registry, kUrls, fields));
    EXPECT_EQ(fields.apiBaseUrl, link == 1 ? L"http://alternate.test" : L"http://primary.test") << link;
  }
  TempDir dir;
  Registry registry(dir / "r.reg");
  WriteDistribution(registry, 1);
  model::SettingsFields fields;
  ApiBaseUrls overridden = kUrls;
  overridden.overrideUrl = L"http://127.0.0.1:39999";
  ASSERT_TRUE(ReadSettings(registry, overridden, fields));
  EXPECT_EQ(fields.apiBaseUrl, L"http://127.0.0.1:39999");
}

TEST(Settings, AMissingOrWrongSizedDistributionValueFailsButTheProfileIsStillRead) {
  const auto check = [](auto damage) {
    TempDir dir;
    Registry registry(dir / "r.reg");
    WriteDistribution(registry, 0);
    registry.SetString(kProfileKey, L"strLogin", L"kept");
    damage(registry);
    model::SettingsFields fields;
    EXPECT_FALSE(ReadSettings(registry, kUrls, fields));
    EXPECT_EQ(fields.login, L"kept");
    EXPECT_EQ(fields.apiBaseUrl, L"http://primary.test");
  };
  check([](Registry& r) { r.SetBinary(kDistributionKey, L"AffiliateID", {2, 0}); });
  check([](Registry& r) { r.DeleteValue(kDistributionKey, L"iFriendID"); });
  check([](Registry& r) { r.SetString(kDistributionKey, L"iAgregatorID", L"0"); });
  check([](Registry& r) { r.SetBinary(kDistributionKey, L"iLinkID", {1, 0, 0, 0, 0}); });
}

TEST(Settings, TheProfileRoundTripsThroughTheRegistryFile) {
  TempDir dir;
  model::SettingsFields written;
  written.languageId = 4;
  written.countryCode = L"es";
  written.countryName = L"Espa\u00f1a";
  written.operatorId = 77;
  written.operatorName = L"Operador & \"Co\"";
  written.timeZoneId = -3;
  written.timeZoneShift = L"+01:00";
  written.login = L"fran\u00e7ois";
  written.password = L"p\\a ss=#";
  written.qualityId = 3;
  {
    Registry registry(dir / "r.reg");
    WriteDistribution(registry, 0);
    ASSERT_TRUE(WriteSettings(registry, written));
  }
  Registry registry(dir / "r.reg");
  model::SettingsFields read;
  ASSERT_TRUE(ReadSettings(registry, kUrls, read));
  read.affiliateId = written.affiliateId;
  read.friendId = written.friendId;
  read.agregatorId = written.agregatorId;
  read.apiBaseUrl = written.apiBaseUrl;
  EXPECT_EQ(read, written);
  // The distribution key is left as the installer wrote it.
  EXPECT_EQ(registry.QueryDword(kDistributionKey, L"AffiliateID"), 11U);
}

class DocumentSettings : public ::testing::Test {
 protected:
  platform::SdlLibrary sdl_{SDL_INIT_EVENTS};
  platform::UiLoop loop_;
  TempDir dir_;
};

TEST_F(DocumentSettings, AMissingDistributionValueAsksToQuitWithMinusOne) {
  Registry registry(dir_ / "r.reg");
  registry.SetBinary(kDistributionKey, L"AffiliateID", {2, 0});
  CKestrovaDoc document(registry, loop_, kUrls);
  EXPECT_TRUE(loop_.QuitRequested());
  EXPECT_EQ(loop_.ExitCode(), -1);
}

TEST_F(DocumentSettings, AQualitySavedAtOnceSurvivesWhileOtherChoicesWaitForExit) {
  const auto file = dir_ / "r.reg";
  {
    Registry registry(file);
    WriteDistribution(registry, 0);
    ASSERT_TRUE(registry.Flush());
  }
  Registry registry(file);
  CKestrovaDoc document(registry, loop_, kUrls);
  ASSERT_FALSE(loop_.QuitRequested());

  // Choices during a run stay in memory ...
  document.settings.languageId = 2;
  EXPECT_EQ(Registry(file).QueryDword(kProfileKey, L"iLanguageID"), std::nullopt);

  // ... until the user picks a quality, which saves at once.
  document.settings.qualityId = 4;
  ASSERT_TRUE(document.SaveSettings());
  document.settings.countryCode = L"ru";  // chosen afterwards: lost on power loss
  {
    Registry afterPowerLoss(file);
    model::SettingsFields fields;
    ASSERT_TRUE(ReadSettings(afterPowerLoss, kUrls, fields));
    EXPECT_EQ(fields.qualityId, 4);
    EXPECT_EQ(fields.countryCode, L"");
  }

  ASSERT_TRUE(document.SaveSettings());  // the exit sequence
  model::SettingsFields fields;
  ASSERT_TRUE(ReadSettings(Registry(file), kUrls, fields));
  EXPECT_EQ(fields.countryCode, L"ru");
  EXPECT_EQ(fields.languageId, 2);
}

TEST_F(DocumentSettings, StartingRemovesTheCopiesThatKilledSavesLeftButNoLockedCopyOrOtherFile) {
  const auto file = dir_ / "r.reg";
  {
    Registry registry(file);
    WriteDistribution(registry, 0);
    registry.SetString(kProfileKey, L"strPassword", L"secret12");
    ASSERT_TRUE(registry.Flush());
  }
  const std::string copy = "REGEDIT4\n\"strPassword\"=\"secret12\"\n";
  const auto stale = dir_.Write("r.reg.aB3xY9", copy);
  const auto staleToo = dir_.Write("r.reg.000000", copy);
  // Another instance's save in progress holds its copy locked.
  const auto saving = dir_.Write("r.reg.Lk7Qw2", copy);
  const platform::FileDescriptor saver(::open(saving.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(::flock(saver.Get(), LOCK_EX | LOCK_NB), 0);
  // Names outside the exact pattern are not the store's.
  const std::vector<std::filesystem::path> others = {dir_.Write("r.reg.bak", copy), dir_.Write("r.reg.aB3xY9Z", copy),
                                                     dir_.Write("r.reg.aB3-Y9", copy), dir_.Write("s.reg.aB3xY9", copy),
                                                     dir_.Write("r.regaaB3xY9", copy)};

  Registry registry(file);
  CKestrovaDoc document(registry, loop_, kUrls);
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_FALSE(std::filesystem::exists(staleToo));
  EXPECT_TRUE(std::filesystem::exists(saving));
  for (const auto& other : others) EXPECT_TRUE(std::filesystem::exists(other)) << other;
  EXPECT_EQ(document.settings.password, L"secret12");
  // The next save leaves no copy of its own behind.
  ASSERT_TRUE(document.SaveSettings());
  std::size_t copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    copies += entry.path().filename().string().starts_with("r.reg.") ? 1 : 0;
  }
  EXPECT_EQ(copies, 4U);  // the locked one, "r.reg.bak", "r.reg.aB3xY9Z" and "r.reg.aB3-Y9"
}

}  // namespace
}  // namespace kestrova::app
