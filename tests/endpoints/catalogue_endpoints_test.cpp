// The channel catalogue and the TV programme against kestrova-server: folder
// levels with a paid package's special entries, the programme days of the
// channels, blocks, block elements and the current programme; the exact
// request lines; and answers only a loopback server gives.
#include "net/catalogue_endpoints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "endpoint_server.h"
#include "model/catalogue_records.h"
#include "net/programme_endpoints.h"
#include "resources/string_table.h"
#include "support/loopback_server.h"

namespace kestrova::test {
namespace {

using CatalogueEndpointsTest = EndpointServerTest;

constexpr int kPaidPackageFolder = 6;
constexpr int kFreeFolder = 1;
constexpr int kChannelWithProgramme = 102;

std::vector<int> EntryIds(const model::FolderNode& node) {
  std::vector<int> ids;
  for (const auto& entry : node.entries) ids.push_back(entry->id);
  return ids;
}

int EntryIndex(const model::FolderNode& node, int id) {
  for (std::size_t i = 0; i < node.entries.size(); ++i) {
    if (node.entries[i]->id == id) return static_cast<int>(i);
  }
  return -1;
}

std::int64_t Midnight(std::time_t moment, int days) {
  std::tm local{};
  localtime_r(&moment, &local);
  local.tm_mday += days;
  local.tm_hour = local.tm_min = local.tm_sec = 0;
  local.tm_isdst = -1;
  return std::mktime(&local);
}

TEST_F(CatalogueEndpointsTest, FolderLevelsAndThePaidPackagesSpecialEntries) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  ClearRequests();
  ASSERT_EQ(net::ChannelCatalogue(Doc().Api())->ok, 1);
  model::FolderNode& root = *Doc().channelRoot;
  const std::vector<int> rootIds = EntryIds(root);
  ASSERT_GE(rootIds.size(), 6U);
  EXPECT_EQ(std::count(rootIds.begin(), rootIds.end(), model::CatalogueItem::kBuyPackageId), 0);
  const int paidIndex = EntryIndex(root, kPaidPackageFolder);
  ASSERT_GE(paidIndex, 0);
  EXPECT_EQ(root.entries[static_cast<std::size_t>(paidIndex)]->isFolder, 1);
  // The level's request, then one logo per entry in list order.
  const std::vector<std::string> lines = Requests();
  ASSERT_EQ(lines.size(), rootIds.size() + 1);
  EXPECT_EQ(lines.front(), "/catchan.php?user_id=" + std::to_string(Doc().userId) +
                               "&folder_id=0&affiliate_id=2&key=*&lng_id=02&codepage=utf8");
  EXPECT_EQ(lines.back(), "/logos/folder_6.png");
  // Loading the level again replaces its entries.
  ASSERT_EQ(net::ChannelCatalogue(Doc().Api())->ok, 1);
  EXPECT_EQ(EntryIds(root), rootIds);

  root.descendPending = 1;
  ASSERT_EQ(net::ChannelCatalogue(Doc().Api(), paidIndex)->ok, 1);
  model::FolderNode& package = *Doc().currentFolder;
  EXPECT_EQ(package.folderId, kPaidPackageFolder);
  EXPECT_EQ(package.parent, &root);
  EXPECT_EQ(root.descendPending, 0);
  EXPECT_EQ(package.free, 0);
  EXPECT_FALSE(package.smsNumber.empty());
  EXPECT_EQ(EntryIds(package), (std::vector<int>{10000, 114, 115, 116, 10000, 10001}));
  const auto& first = *package.entries.front();
  EXPECT_EQ(first.name, resources::Strings().Get(net::kBuyPackageTextId));
  EXPECT_EQ(first.noLogo, 1);
  const auto& last = *package.entries.back();
  EXPECT_EQ(last.name, resources::Strings().Get(net::kReloadPackageTextId));
  EXPECT_EQ(last.reloadEntry, 1);
  EXPECT_EQ(package.entries[1]->noLogo, 0);
  EXPECT_FALSE(package.entries[1]->logoLink.empty());
  EXPECT_GT(package.entries[1]->logoSize, 0);
  // Logos are fetched for channels and folders, never for the special entries.
  EXPECT_FALSE(package.entries[1]->logoImage.Empty());
  EXPECT_TRUE(first.logoImage.Empty());
  EXPECT_TRUE(last.logoImage.Empty());
  EXPECT_FALSE(root.entries[static_cast<std::size_t>(paidIndex)]->logoImage.Empty());
}

TEST_F(CatalogueEndpointsTest, ChannelsWithAProgrammeGetSevenDaysFromTheServersToday) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  // The device runs a day behind; the server's clock decides the days.
  const std::time_t now = std::time(nullptr);
  document_->Clock().now = now - 86400;
  Doc().Network().timeGap.store(86400);
  ASSERT_EQ(net::ChannelCatalogue(Doc().Api())->ok, 1);
  model::FolderNode& root = *Doc().channelRoot;
  root.descendPending = 1;
  ASSERT_EQ(net::ChannelCatalogue(Doc().Api(), EntryIndex(root, kFreeFolder))->ok, 1);
  model::FolderNode& level = *Doc().currentFolder;
  const std::vector<int> ids = EntryIds(level);
  EXPECT_EQ(std::count(ids.begin(), ids.end(), model::CatalogueItem::kBuyPackageId), 0);
  int withProgramme = 0;
  for (const auto& channel : level.entries) {
    if (channel->haveProgram == 0) {
      EXPECT_TRUE(channel->programmeDays.empty());
      continue;
    }
    ++withProgramme;
    ASSERT_EQ(channel->programmeDays.size(), 7U);
    for (int day = 0; day < 7; ++day) {
      EXPECT_EQ(channel->programmeDays[static_cast<std::size_t>(day)]->date, Midnight(now, day)) << day;
    }
  }
  EXPECT_GT(withProgramme, 0);
}

TEST_F(CatalogueEndpointsTest, BlocksOfADayTheirElementsAndTheCurrentProgramme) {
  ASSERT_NO_FATAL_FAILURE(RegisterAndLogIn());
  Doc().settings.timeZoneId = 7;
  const std::time_t now = std::time(nullptr);
  model::CatalogueItem channel;
  channel.id = kChannelWithProgramme;
  net::AddProgrammeDays(channel, now);
  ClearRequests();
  ASSERT_EQ(net::ProgrammeBlocks(Doc().Api(), channel, now)->ok, 1);
  const model::ProgrammeDay& today = *channel.programmeDays.front();
  ASSERT_EQ(today.blocks.size(), 24U);
  EXPECT_EQ(today.blocks[0]->endText, today.blocks[1]->startText);
  EXPECT_EQ(today.blocks.back()->endText, L"23:59");
  EXPECT_EQ(today.blocks[1]->startTime, today.date + 3600);
  EXPECT_EQ(today.blocks.back()->endTime, today.date + 23 * 3600 + 59 * 60);
  EXPECT_EQ(today.blocks[5]->day, &today);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/blocks.php?" + SessionQuery() + "&zone_id=7&date=" + DateText(0) +
                                                  "&channel_id=102&lng_id=2&codepage=utf8&client=wm"
                                                  "&dist_number=1"}));

  // Loaded days, days not offered and loaded blocks make no request.
  ClearRequests();
  EXPECT_EQ(net::ProgrammeBlocks(Doc().Api(), channel, now)->ok, 1);
  EXPECT_EQ(net::ProgrammeBlocks(Doc().Api(), channel, now + 10 * 86400)->ok, 0);
  model::ProgrammeBlock& block = *today.blocks[8];
  ASSERT_EQ(net::BlockElements(Doc().Api(), block)->ok, 1);
  ASSERT_GE(block.elements.size(), 2U);
  for (const auto& element : block.elements) {
    EXPECT_EQ(element->parentBlock, &block);
    EXPECT_GE(element->startTime, block.startTime);
    EXPECT_LT(element->startTime, block.endTime);
  }
  EXPECT_EQ(net::BlockElements(Doc().Api(), block)->ok, 1);
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/block.php?block_id=" + std::to_string(block.id) + "&" +
                                                  SessionQuery() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1"}));

  model::RecordList<model::ProgrammeElement> current;
  current.push_back(std::make_unique<model::ProgrammeElement>());  // from an earlier call
  ClearRequests();
  ASSERT_EQ(net::CurrentBlock(Doc().Api(), net::kNextBlock, kChannelWithProgramme, current)->ok, 1);
  ASSERT_FALSE(current.empty());
  EXPECT_NE(current.front()->id, model::ProgrammeElement::kNewId);
  EXPECT_EQ(current.front()->startTime, 0);
  ASSERT_EQ(net::CurrentBlock(Doc().Api(), net::kLastBlock, kChannelWithProgramme, current)->ok, 1);
  const std::string common = SessionQuery() +
                             "&lng_id=2&codepage=utf8&client=wm&dist_number=1&block_id=-1"
                             "&channel_id=102&type=";
  EXPECT_EQ(Requests(), (std::vector<std::string>{"/block.php?" + common + "next", "/block.php?" + common + "last"}));
}

class CatalogueAnswersTest : public ::testing::Test {
 protected:
  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
};

TEST_F(CatalogueAnswersTest, BlocksDateFormEndTextsAndAFailedCatalogue) {
  std::tm march{};
  march.tm_year = 2024 - 1900;
  march.tm_mon = 2;
  march.tm_mday = 5;
  march.tm_hour = 12;
  march.tm_isdst = -1;
  const std::time_t noon = std::mktime(&march);
  model::CatalogueItem channel;
  channel.id = 3;
  net::AddProgrammeDays(channel, noon);
  server_.Serve("/blocks.php",
                "<blocks end_trs=\"23:00\"><block id=\"1\" start=\"10:00\" name=\"a\"/>"
                "<block id=\"2\" start=\"11:30\" name=\"b\"/></blocks>");
  ASSERT_EQ(net::ProgrammeBlocks(doc_.Doc().Api(), channel, noon)->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("date"), "05-03-2024");
  const auto& blocks = channel.programmeDays.front()->blocks;
  ASSERT_EQ(blocks.size(), 2U);
  EXPECT_EQ(blocks[0]->endText, L"11:30");
  EXPECT_EQ(blocks[1]->endText, L"23:00");
  EXPECT_EQ(blocks[0]->endTime - blocks[0]->startTime, 90 * 60);

  // A catalogue that fails still succeeds, with an empty level; a root
  // level never gets the package entries, whatever its free value.
  server_.Serve("/catchan.php", "not xml", 500);
  EXPECT_EQ(net::ChannelCatalogue(doc_.Doc().Api())->ok, 1);
  EXPECT_TRUE(doc_->channelRoot->entries.empty());
  server_.Serve("/catchan.php", "<channels free=\"0\"><channel id=\"5\" name=\"x\"/></channels>");
  EXPECT_EQ(net::ChannelCatalogue(doc_.Doc().Api())->ok, 1);
  EXPECT_EQ(EntryIds(*doc_->channelRoot), (std::vector<int>{5}));
}

}  // namespace
}  // namespace kestrova::test
