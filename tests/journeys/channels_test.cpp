// The TV side against a real server: the channel folders with their
// positions kept per level, a paid package paid by SMS, the channel card,
// the programme by day and block, the details with their pictures, the
// now/next list and the player screen, with stale selections doing nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/kestrova_doc.h"
#include "app/kestrova_view.h"
#include "app/view_media_player.h"
#include "journey_fixture.h"
#include "model/command_ids.h"
#include "net/endpoint.h"
#include "resources/string_table.h"
#include "support/media_sources.h"
#include "support/scoped_environment.h"
#include "ui/screens/block_programme_screen.h"
#include "ui/screens/channel_entries.h"
#include "ui/screens/channel_folders_screen.h"
#include "ui/screens/channel_programme_screen.h"
#include "ui/screens/channel_screen.h"
#include "ui/screens/details_screen.h"
#include "ui/screens/now_next_screen.h"
#include "ui/screens/player_screen.h"

namespace kestrova::test {
namespace {

using ChannelsTest = JourneyTest;
using ui::screens::ChannelScreen;
using ui::screens::DetailsScreen;

constexpr int kPackageFolderId = 6;
constexpr int kNewsFolderId = 1;
constexpr int kErrorTitle = 23;
constexpr int kOfferTitle = 44;
constexpr int kPaymentSentText = 127;

int IndexOfEntry(const model::FolderNode& folder, int id, bool isFolder) {
  for (std::size_t i = 0; i < folder.entries.size(); ++i) {
    if (folder.entries[i]->id == id && (folder.entries[i]->isFolder != 0) == isFolder) return static_cast<int>(i);
  }
  return -1;
}

int Count(const std::vector<std::string>& requests, const std::string& part) {
  return static_cast<int>(
      std::count_if(requests.begin(), requests.end(), [&](const std::string& r) { return r.find(part) != std::string::npos; }));
}

long MillisSince(std::chrono::steady_clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}


// Main menu -> channel folders (the root level).
void OpenChannels(UiHarness& ui) {
  ui.Press(platform::VK_RETURN);  // tile 0
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelFoldersScreen);
}

// Opens the sub-folder with `id` from the current level and waits for it.
void OpenFolder(UiHarness& ui, int id) {
  const int index = IndexOfEntry(*ui.Document().currentFolder, id, true);
  ASSERT_GE(index, 0);
  SelectRow(ui, index);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  ASSERT_EQ(ui.Document().currentFolder->folderId, id);
}

// Each row of the rule for catalogue entries (docs/channel-entries.md).
TEST(ChannelEntryRule, KindAndWatchableFromTheRecordFields) {
  using ui::screens::EntryKind;
  model::CatalogueItem folder;
  folder.isFolder = 1;
  EXPECT_EQ(ui::screens::KindOf(folder), EntryKind::kSubFolder);
  model::CatalogueItem reload;
  reload.id = model::CatalogueItem::kReloadPackageId;
  reload.noLogo = 1;
  reload.reloadEntry = 1;
  EXPECT_EQ(ui::screens::KindOf(reload), EntryKind::kNotLoaded);
  model::CatalogueItem buy;
  buy.id = model::CatalogueItem::kBuyPackageId;
  buy.noLogo = 1;
  EXPECT_EQ(ui::screens::KindOf(buy), EntryKind::kMustBuy);
  // Channels from the server keep their kind whatever their id.
  model::CatalogueItem channel;
  for (const int id : {101, model::CatalogueItem::kBuyPackageId, model::CatalogueItem::kReloadPackageId}) {
    channel.id = id;
    EXPECT_EQ(ui::screens::KindOf(channel), EntryKind::kChannel) << id;
  }
  channel.free = 1;
  channel.haveVideo = 1;
  EXPECT_TRUE(ui::screens::CanWatch(channel));
  channel.haveVideo = 0;  // not broadcast live
  EXPECT_FALSE(ui::screens::CanWatch(channel));
  channel.haveVideo = 1;
  channel.free = 0;  // not paid for
  EXPECT_FALSE(ui::screens::CanWatch(channel));
  folder.free = 1;
  folder.haveVideo = 1;
  EXPECT_FALSE(ui::screens::CanWatch(folder));
}

TEST_F(ChannelsTest, FoldersKeepTheirPositionsAndTheProgrammeGoesByDayBlockAndEntry) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(ui.Started());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenChannels(ui);
  app::CKestrovaDoc& doc = ui.Document();
  const int newsIndex = IndexOfEntry(*doc.channelRoot, kNewsFolderId, true);
  TakeRequests();

  // Down one level: the folder's entries with their logos.
  SelectRow(ui, newsIndex);
  auto start = std::chrono::steady_clock::now();
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  ui.Paint();
  RecordProperty("folder_action_to_entries_painted_ms", MillisSince(start));
  ASSERT_EQ(doc.currentFolder->folderId, kNewsFolderId);
  const auto opening = TakeRequests();
  EXPECT_EQ(Count(opening, "catchan.php"), 1);
  EXPECT_GE(Count(opening, "/logos/"), 1);
  ASSERT_GE(doc.currentFolder->entries.size(), 2U);
  EXPECT_FALSE(doc.currentFolder->entries[0]->logoImage.Empty());

  // Down a second level (a channel's card) and back up: positions restored.
  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
  auto* card = dynamic_cast<ChannelScreen*>(ui.Screens().Current());
  ASSERT_NE(card->Channel(), nullptr);
  EXPECT_EQ(card->Channel()->id, doc.currentFolder->entries[1]->id);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelFoldersScreen);
  EXPECT_EQ(ui.Screens().Current()->Selection(), 1);
  ui.KeyUp(platform::VK_F2);  // up to the root
  EXPECT_EQ(doc.currentFolder, doc.channelRoot.get());
  EXPECT_EQ(ui.Screens().Current()->Selection(), newsIndex);
  ui.Press(platform::VK_RETURN);  // loaded before: no request
  EXPECT_EQ(doc.currentFolder->folderId, kNewsFolderId);
  EXPECT_EQ(ui.Screens().Current()->Selection(), 1);
  EXPECT_EQ(Count(TakeRequests(), "catchan.php"), 0);

  // A stale selection does nothing.
  ui.Screens().Current()->SetSelection(99);
  ui.Press(platform::VK_RETURN);
  ui.Press(platform::VK_RIGHT);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kChannelFoldersScreen);
  EXPECT_TRUE(TakeRequests().empty());
  ui.Screens().Current()->SetSelection(0);

  // The channel card of a free live channel: watch, next, previous.
  ui.Press(platform::VK_RIGHT);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
  card = dynamic_cast<ChannelScreen*>(ui.Screens().Current());
  EXPECT_EQ(card->ActionRows(), (std::vector{ChannelScreen::Row::kWatch, ChannelScreen::Row::kNextProgrammes,
                                             ChannelScreen::Row::kPreviousProgrammes}));

  // Now / next: the list, an entry's details and back.
  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kNowNextScreen));
  EXPECT_EQ(Count(TakeRequests(), "type=next"), 1);
  ASSERT_GT(ui.Screens().Current()->ItemCount(), 0);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kNowNextScreen);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
  SelectRow(ui, 2);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kNowNextScreen));
  EXPECT_EQ(Count(TakeRequests(), "type=last"), 1);
  ui.KeyUp(platform::VK_F2);

  // Today's programme: the block running now is selected.
  ui.KeyUp(platform::VK_F1);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelProgrammeScreen));
  auto* programme = dynamic_cast<ui::screens::ChannelProgrammeScreen*>(ui.Screens().Current());
  const std::int64_t now = doc.ServerNow();
  ASSERT_GT(programme->ItemCount(), 0);
  const model::ProgrammeBlock* running = programme->SelectedBlock();
  ASSERT_NE(running, nullptr);
  EXPECT_LE(running->startTime, now);
  if (programme->Selection() + 1 < programme->ItemCount()) {
    EXPECT_GT(running->day->blocks[static_cast<std::size_t>(programme->Selection() + 1)]->startTime, now);
  }

  // Another day: its blocks, the first one selected.
  ui.KeyUp(platform::VK_F1);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDayChoiceScreen);
  ui.Press(platform::VK_DOWN);
  start = std::chrono::steady_clock::now();
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelProgrammeScreen));
  ui.Paint();
  RecordProperty("day_action_to_blocks_painted_ms", MillisSince(start));
  EXPECT_TRUE(Contains(TakeRequests(), "blocks.php"));
  EXPECT_EQ(programme->Selection(), 0);
  EXPECT_GT(programme->ShownDate(), now);
  // Back to today through the day choice; going back without choosing keeps the day.
  ui.KeyUp(platform::VK_F1);
  ui.Press(platform::VK_UP);
  ui.KeyUp(platform::VK_F2);
  EXPECT_GT(programme->ShownDate(), now);
  ui.KeyUp(platform::VK_F1);
  ui.Press(platform::VK_UP);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelProgrammeScreen));
  EXPECT_EQ(programme->SelectedBlock(), running);

  // The block on air: the entry on air is focused, headings never are.
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kBlockProgrammeScreen));
  auto* block = dynamic_cast<ui::screens::BlockProgrammeScreen*>(ui.Screens().Current());
  const model::ProgrammeElement* onAir = block->SelectedEntry();
  ASSERT_NE(onAir, nullptr);
  EXPECT_LE(onAir->startTime, now);
  // (In the last minute of a day the server's programme has ended: the first entry.)
  const bool onAirNow = running->endTime <= running->startTime || now < running->endTime;
  for (int i = block->Selection() + 1; onAirNow && i < block->ItemCount(); ++i) {
    if (block->IsProgrammeEntry(i)) {
      EXPECT_GT(running->elements[static_cast<std::size_t>(i)]->startTime, now);
    }
  }
  for (int i = 0; i < block->ItemCount() + 1; ++i) {
    ui.Press(platform::VK_DOWN);
    EXPECT_TRUE(block->IsProgrammeEntry(block->Selection()));
  }
  for (int i = 0; i < block->ItemCount() + 1; ++i) {
    ui.Press(platform::VK_UP);
    EXPECT_TRUE(block->IsProgrammeEntry(block->Selection()));
  }

  // Details: six pictures, one after another, and no seventh.
  TakeRequests();
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);
  ASSERT_TRUE(ui.RunUntilIdle());
  auto* details = dynamic_cast<DetailsScreen*>(ui.Screens().Current());
  EXPECT_EQ(details->PicturesRequested(), DetailsScreen::kMaxPictures);
  EXPECT_EQ(details->PicturesLoaded(), DetailsScreen::kMaxPictures);
  const auto pictures = TakeRequests();
  EXPECT_EQ(Count(pictures, "/previews/"), DetailsScreen::kMaxPictures);
  EXPECT_EQ(Count(pictures, "/6.jpg"), 1);
  EXPECT_EQ(Count(pictures, "/7.jpg"), 0);
  // The slideshow moves on without leaving the screen.
  const int shown = details->PictureShown();
  ui.FireTimer(app::CKestrovaView::kTimerSecond);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kDetailsScreen);
  EXPECT_NE(details->PictureShown(), shown);

  // Leaving while pictures load: no result shows up elsewhere.
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kBlockProgrammeScreen);
  ui.Press(platform::VK_RETURN);
  ui.KeyUp(platform::VK_F2);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kBlockProgrammeScreen);
  EXPECT_EQ(ui.PopupTitle(), L"");
  EXPECT_LT(Count(TakeRequests(), "/previews/"), DetailsScreen::kMaxPictures);
}

// The programme asked for just after a reload that resets the channel tree
// was submitted (the reload's waiter not up yet): the programme command
// waits for its turn and then finds its channel gone with the level it was
// on. It fails as an unreachable server does, without a request, and
// nothing touches the freed channel (the address checker of the test build).
TEST_F(ChannelsTest, AProgrammeAskedForWhileAReloadFreesItsChannelFailsWithoutARequest) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenChannels(ui);
  OpenFolder(ui, kNewsFolderId);
  ui.Press(platform::VK_RIGHT);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
  app::CKestrovaDoc& doc = ui.Document();
  TakeRequests();

  // The settings' reload, whose result goes to a screen no longer current.
  doc.SubmitRequest(model::kCommandSetupCatalogueVideos, *ui.Screens().GetScreen(ui::kSettingsScreen), true, {});
  ui.KeyUp(platform::VK_F1);  // the programme
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(doc.currentFolder, doc.channelRoot.get());
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
  EXPECT_EQ(ui.Screens().Current()->PopupText(), resources::Strings().Get(net::kGenericFailureTextId));
  const auto requests = TakeRequests();
  EXPECT_EQ(Count(requests, "catchan.php"), 1);
  EXPECT_EQ(Count(requests, "blocks.php"), 0);

  // The card of a channel on the new level asks as before.
  ui.Press(platform::VK_RETURN);  // closes the pop-up
  ui.KeyUp(platform::VK_F2);
  OpenFolder(ui, kNewsFolderId);
  ui.Press(platform::VK_RIGHT);
  ui.KeyUp(platform::VK_F1);
  EXPECT_TRUE(ui.RunUntilScreen(ui::kChannelProgrammeScreen));
}

TEST_F(ChannelsTest, APaidPackageIsPaidBySmsAndReloadedWithItsChannels) {
  const ScopedEnvironment spool("KESTROVA_SMS_SPOOL", Spool().string());  // the spool the server reads
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(ui.Started());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenChannels(ui);
  OpenFolder(ui, kPackageFolderId);
  app::CKestrovaDoc& doc = ui.Document();
  model::FolderNode& package = *doc.currentFolder;
  // The buy entry, three channels, the buy entry and the reload entry.
  ASSERT_EQ(package.entries.size(), 6U);
  EXPECT_EQ(package.entries[0]->id, model::CatalogueItem::kBuyPackageId);
  EXPECT_EQ(package.entries[5]->reloadEntry, 1);

  // A channel of the package cannot be watched: buy and refresh instead.
  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  auto* card = dynamic_cast<ChannelScreen*>(ui.Screens().Current());
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(card->ActionRows().front(), ChannelScreen::Row::kBuy);
  ui.KeyUp(platform::VK_F2);

  // The entry whose contents are not loaded loads the level again.
  SelectRow(ui, 5);
  TakeRequests();
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(Count(TakeRequests(), "catchan.php?"), 1);
  ASSERT_EQ(doc.currentFolder->entries.size(), 6U);
  EXPECT_EQ(ui.Screens().Current()->Selection(), 5);

  // The second buy entry: the offer, the SMS, the credit, the reload.
  SelectRow(ui, 4);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kOfferTitle));
  ui.KeyUp(platform::VK_F1);  // send the SMS
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.Screens().Current()->PopupText(), resources::Strings().Get(kPaymentSentText));
  const auto paying = TakeRequests();
  EXPECT_EQ(Count(paying, "sms_sent.php?"), 1);
  EXPECT_EQ(Count(paying, "catchan.php?"), 1);
  // The server took the message from the spool and credited it.
  const std::filesystem::path sent = Spool().parent_path() / "sent";
  EXPECT_TRUE(std::filesystem::exists(sent) && !std::filesystem::is_empty(sent));

  // The package now lists its three channels, which can be watched; the
  // saved selection, past the new end, is on the last one.
  ASSERT_EQ(doc.currentFolder->entries.size(), 3U);
  EXPECT_TRUE(ui::screens::CanWatch(*doc.currentFolder->entries[0]));
  EXPECT_EQ(ui.Screens().Current()->Selection(), 2);
}

TEST_F(ChannelsTest, ThePlayerStepsTheVolumeAndAFailedStartGoesBackAndSaysSo) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(ui.Started());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenChannels(ui);
  OpenFolder(ui, kNewsFolderId);
  SelectRow(ui, 0);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);

  auto* player = dynamic_cast<ui::screens::PlayerScreen*>(ui.Screens().GetScreen(ui::kPlayerScreen));
  // A session the server no longer knows: the stream set-up is refused.
  ASSERT_TRUE(ui.RunUntilIdle());
  ui.Document().sessionKey = L"expired";
  ui.Press(platform::VK_RETURN);  // watch
  EXPECT_EQ(player->Volume(), ui::screens::PlayerScreen::kStartVolume);
  EXPECT_EQ(player->Kind(), ui::screens::PlayerScreen::kFromChannel);
  for (int i = 0; i < 12; ++i) player->OnKeyDown(ui::kKeyUp);
  EXPECT_EQ(player->Volume(), 64);
  for (int i = 0; i < 20; ++i) player->OnKeyDown(ui::kKeyDown);
  EXPECT_EQ(player->Volume(), 0);

  ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelScreen));
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
  ui.Press(platform::VK_RETURN);  // closes the pop-up

  // From the folder list (left soft key): back to the folder list.
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelFoldersScreen);
  ui.KeyUp(platform::VK_F1);
  EXPECT_EQ(player->Kind(), ui::screens::PlayerScreen::kFromFolders);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelFoldersScreen));
  EXPECT_EQ(ui.PopupTitle(), resources::Strings().Get(kErrorTitle));
}

// What the display shows while a channel plays: the player's video surface,
// the interface around the picture included.
platform::Bitmap DisplayPicture(platform::VideoSurface& surface) {
  platform::Bitmap picture(surface.LogicalWidth(), surface.LogicalHeight());
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) picture.Row(y)[x] = surface.LogicalPixel(x, y);
  }
  return picture;
}

platform::VideoSurface* PlayingSurface(UiHarness& ui) {
  auto* player = dynamic_cast<app::ViewMediaPlayer*>(ui.View().Player());
  return player != nullptr ? player->Engine().Video().Surface() : nullptr;
}

// Live television from the server: Watch starts the stream within a second,
// the test card's pictures reach the display between the header and the
// card, the programme on air names itself on the card, the queue is kept
// filled, a catalogue video on air opens its details, and leaving stops the
// player and leaves no segment behind. With KESTROVA_SCREENSHOT_DIR set it
// also takes the playing screen in English and Russian.
TEST_F(ChannelsTest, WatchingAChannelPlaysTheServersStreamAndLeavingLeavesNothing) {
  const std::filesystem::path segments = dir_.Path() / "segments";
  std::filesystem::create_directories(segments);
  // The segments land in a folder of the test's own, which must end empty;
  // the process's temporary folder comes back when the test ends.
  const ScopedEnvironment temporaryFolder("TMPDIR", segments.string());
  const std::filesystem::path shots = RequestedScreenshotFolder();
  std::vector<std::pair<std::string, int>> languages{{"en", 0}};
  if (!shots.empty()) languages.emplace_back("ru", 1);
  for (const auto& [language, row] : languages) {
    UiHarness ui(KESTROVA_BIN_DIR, AtServer());
    ASSERT_TRUE(ui.Started());
    SelectRow(ui, row);
    ASSERT_TRUE(RegisterThroughTheForms(ui));
    OpenChannels(ui);
    OpenFolder(ui, kNewsFolderId);
    SelectRow(ui, 0);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
    ASSERT_TRUE(ui.RunUntilIdle());
    TakeRequests();

    const auto started = std::chrono::steady_clock::now();
    ui.Press(platform::VK_RETURN);  // watch
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kPlayerScreen);
    auto* screen = dynamic_cast<ui::screens::PlayerScreen*>(ui.Screens().Current());
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(ui.RunUntil([&] {
      platform::VideoSurface* surface = PlayingSurface(ui);
      return surface != nullptr && surface->Presented() > 0;
    }));
    const auto firstPicture = std::chrono::steady_clock::now() - started;
    RecordProperty("first_picture_ms",
                   static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(firstPicture).count()));
    EXPECT_FALSE(screen->StatusText().empty());  // the programme on air
    ASSERT_TRUE(ui.RunUntil([&] { return screen->SetUpsSubmitted() >= 3; }));
    const auto requests = TakeRequests();
    EXPECT_TRUE(Contains(requests, "stream/cc.cgi?")) << "no stream set-up";

    // The picture lies between the header and the card: many colours there
    // (the test card), the interface painted around it.
    platform::VideoSurface* surface = PlayingSurface(ui);
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(ui.RunUntil([&] { return surface->Presented() > 5; }));
    const platform::Bitmap display = DisplayPicture(*surface);
    std::set<std::uint16_t> pictureColours;
    for (int y = 40; y < 220; y += 4) {
      for (int x = 0; x < 240; x += 4) pictureColours.insert(display.Pixel(x, y));
    }
    EXPECT_GE(pictureColours.size(), 6U);
    EXPECT_NE(display.Pixel(120, 10), 0) << "no header over the picture";
    if (!shots.empty()) {
      EXPECT_TRUE(UiHarness::SavePng(display, shots / ("11-player-playing-" + language + ".png"), 2));
    }

    // The catalogue video on air (as the set-up announces it) opens its
    // details; the stream stops for them.
    ui.Document().liveStream.SetKnownVideo(1101);
    ui.KeyUp(platform::VK_F1);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kDetailsScreen));
    auto* details = dynamic_cast<DetailsScreen*>(ui.Screens().Current());
    ASSERT_NE(details, nullptr);
    ASSERT_NE(details->Record(), nullptr);
    EXPECT_EQ(details->Record()->id, 1101);
    EXPECT_TRUE(Contains(TakeRequests(), "video.php?"));

    // Back from the details the channel plays again; leaving goes back to
    // the channel and ends the player.
    ui.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kPlayerScreen);
    ASSERT_TRUE(ui.RunUntil([&] {
      platform::VideoSurface* again = PlayingSurface(ui);
      return again != nullptr && again->Presented() > 0;
    }));
    ui.KeyUp(platform::VK_F2);
    EXPECT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
    EXPECT_EQ(ui.View().Player(), nullptr);
    ASSERT_TRUE(ui.RunUntil([&] { return ui.Document().WorkersFinished(); }));
  }
  // Every segment was played and deleted, or deleted when nobody took it.
  EXPECT_TRUE(std::filesystem::is_empty(segments));
}


// Channels with real sources: the first news channel plays a file (looped
// on the clock), the second a live MPEG-TS stream over UDP on loopback.
class RealChannelsJourney : public JourneyTest {
 protected:
  std::vector<std::string> ServerOptions() override {
    std::string error;
    EXPECT_TRUE(MakeMediaFile(dir_.Path() / "film.mkv", {}, &error)) << error;
    const int port = FreeUdpPort();
    sender_ = std::make_unique<LiveSender>(port);
    WriteChannelsFile(dir_.Path() / "channels.xml",
                      {{kFileChannel, "film.mkv"}, {kLiveChannel, "udp://127.0.0.1:" + std::to_string(port)}});
    return {"--channels", (dir_.Path() / "channels.xml").string()};
  }

  static constexpr int kFileChannel = 102;
  static constexpr int kLiveChannel = 103;
  std::unique_ptr<LiveSender> sender_;
};

// Watch plays the channel: pictures of the source reach the display, the
// programme on air names itself and the queue is kept filled; leaving ends
// the player. First the file, then the live stream.
TEST_F(RealChannelsJourney, WatchingAFileChannelAndALiveChannelPlaysTheirPictures) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(ui.Started());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  OpenChannels(ui);
  OpenFolder(ui, kNewsFolderId);
  for (const int channel : {kFileChannel, kLiveChannel}) {
    const int row = IndexOfEntry(*ui.Document().currentFolder, channel, false);
    ASSERT_GE(row, 0);
    SelectRow(ui, row);
    ui.Press(platform::VK_RETURN);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
    ASSERT_TRUE(ui.RunUntilIdle());
    const auto started = std::chrono::steady_clock::now();
    ui.Press(platform::VK_RETURN);  // watch
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kPlayerScreen);
    auto* screen = dynamic_cast<ui::screens::PlayerScreen*>(ui.Screens().Current());
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(ui.RunUntil([&] {
      platform::VideoSurface* surface = PlayingSurface(ui);
      return surface != nullptr && surface->Presented() > 10;
    })) << "channel " << channel;
    RecordProperty("channel_" + std::to_string(channel) + "_pictures_ms", static_cast<int>(MillisSince(started)));
    EXPECT_FALSE(screen->StatusText().empty());
    ASSERT_TRUE(ui.RunUntil([&] { return screen->SetUpsSubmitted() >= 3; }));
    // The source's picture between the header and the card: its bright band
    // on the gradient gives many shades.
    const platform::Bitmap display = DisplayPicture(*PlayingSurface(ui));
    std::set<std::uint16_t> shades;
    for (int y = 40; y < 220; y += 4) {
      for (int x = 0; x < 240; x += 4) shades.insert(display.Pixel(x, y));
    }
    EXPECT_GE(shades.size(), 6U) << "channel " << channel;
    // The view ignores the soft keys while the waiter turns, which a slow
    // machine shows whenever the queue runs dry: leave between waits.
    ASSERT_TRUE(ui.RunUntil([&] { return !ui.View().Busy(); }));
    EXPECT_FALSE(screen->PopupShown()) << ui.PopupTitle();
    ui.KeyUp(platform::VK_F2);
    EXPECT_EQ(ui.Screens().CurrentId(), ui::kChannelScreen);
    EXPECT_EQ(ui.View().Player(), nullptr);
    ui.KeyUp(platform::VK_F2);
    ASSERT_EQ(ui.Screens().CurrentId(), ui::kChannelFoldersScreen);
  }
  ASSERT_TRUE(ui.RunUntil([&] { return ui.Document().WorkersFinished(); }));
}

// The channel screens as pictures, in English and Russian (with
// KESTROVA_SCREENSHOT_DIR set, into that folder, as scripts/screenshots does).
using ScreenshotTour = JourneyTest;

TEST_F(ScreenshotTour, TheChannelAndProgrammeScreensInEnglishAndRussian) {
  const std::filesystem::path dir = ScreenshotFolder();
  for (const auto& [language, row] : {std::pair{std::string("en"), 0}, std::pair{std::string("ru"), 1}}) {
    UiHarness ui(KESTROVA_BIN_DIR, AtServer());
    ASSERT_TRUE(ui.Started());
    const auto shoot = [&](const std::string& name) {
      ui.Paint();
      EXPECT_TRUE(ui.SavePng(dir / (name + "-" + language + ".png"), 2));
    };
    SelectRow(ui, row);
    ASSERT_TRUE(RegisterThroughTheForms(ui));
    OpenChannels(ui);
    shoot("09-channel-folders");
    OpenFolder(ui, kNewsFolderId);
    shoot("09-channel-folders-news");
    ui.KeyUp(platform::VK_F2);
    OpenFolder(ui, kPackageFolderId);
    shoot("09-channel-folders-package");
    ui.Press(platform::VK_RETURN);
    shoot("09-channel-folders-subscription");
    ui.KeyUp(platform::VK_F2);
    SelectRow(ui, 1);
    ui.Press(platform::VK_RETURN);
    shoot("10-channel-to-buy");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    OpenFolder(ui, kNewsFolderId);
    SelectRow(ui, 0);
    ui.Press(platform::VK_RETURN);
    shoot("10-channel");
    SelectRow(ui, 1);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kNowNextScreen));
    shoot("22-now-next");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F1);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelProgrammeScreen));
    shoot("12-programme-of-a-day");
    ui.KeyUp(platform::VK_F1);
    shoot("13-day-choice");
    ui.KeyUp(platform::VK_F2);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilScreen(ui::kBlockProgrammeScreen));
    shoot("14-programme-of-a-block");
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    ui.FireTimer(app::CKestrovaView::kTimerSecond);
    shoot("16-details");
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    ui.KeyUp(platform::VK_F2);
    SelectRow(ui, 0);
    // The failed start: a session the server no longer knows.
    ASSERT_TRUE(ui.RunUntilIdle());
    ui.Document().sessionKey = L"expired";
    ui.Press(platform::VK_RETURN);
    shoot("11-player");
    ASSERT_TRUE(ui.RunUntilScreen(ui::kChannelScreen));
    shoot("11-player-start-failed");
  }
}

}  // namespace
}  // namespace kestrova::test
