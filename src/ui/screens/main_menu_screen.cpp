#include "ui/screens/main_menu_screen.h"

#include <array>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kHelpSoftKey = 89;
constexpr int kTileLabelHeight = 16;
constexpr int kTileAreaTop = 64;    // below the two label lines
constexpr int kTileAreaSpare = 96;  // kept free around the grid

struct Tile {
  int selectedImage;
  int unselectedImage;
  int name;
  int description;
};
constexpr std::array<Tile, MainMenuScreen::kTileCount> kTiles = {{
    {kImageGridSelChannels, kImageGridUnselChannels, 101, 109},
    {kImageGridSelSettings, kImageGridUnselSettings, 1, 111},
    {kImageGridSelVideos, kImageGridUnselVideos, 5, 110},
    {kImageGridSelMessages, kImageGridUnselMessages, 69, 112},
}};

// Left and right walk through the tiles in a ring; up and down change rows.
constexpr std::array<int, MainMenuScreen::kTileCount> kLeftOf = {3, 0, 1, 2};
constexpr std::array<int, MainMenuScreen::kTileCount> kRightOf = {1, 2, 3, 0};
constexpr std::array<int, MainMenuScreen::kTileCount> kOtherRow = {2, 3, 0, 1};

}  // namespace

MainMenuScreen::MainMenuScreen() : CatalogueScreen(kMainMenuScreen, 0, false, 0) {}

bool MainMenuScreen::Enter(const ScreenEntry& entry) {
  notice_ = -1;
  if (popupShown_) ClosePopup();
  if (entry.notices && !Data().messages.empty()) ShowNotice(0);
  return true;
}

void MainMenuScreen::ShowNotice(int index) {
  const model::MessageRecord& message = *Data().messages[static_cast<std::size_t>(index)];
  notice_ = index;
  ShowPopup(false, message.header, message.text, kNoKey, kNoKey);
}

bool MainMenuScreen::AdvanceNotices() {
  if (notice_ < 0 || !popupShown_) return false;
  const int next = notice_ + 1;
  if (next < static_cast<int>(Data().messages.size())) {
    ShowNotice(next);
  } else {
    notice_ = -1;  // the next key or tap closes the last notice
  }
  return true;
}

platform::Rect MainMenuScreen::TileRect(int tile) const {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr) return {};
  const SkinImage& image = painter->Image(kTiles[static_cast<std::size_t>(tile)].unselectedImage);
  const int width = painter->ScreenWidth();
  const int height = painter->ScreenHeight();
  const int header = painter->Image(kImageTopLine).height;
  const int bar = painter->Image(kImageBottomLine).height;
  const int gapX = (width - 2 * image.width) / 3;
  const int gapY = (height - 2 * image.height - header - bar - kTileAreaSpare) / 3;
  const int left = tile % 2 == 0 ? gapX : 2 * gapX + image.width;
  const int top = tile < 2 ? header + kTileAreaTop + gapY : header + kTileAreaTop + 2 * gapY + image.height;
  return {left, top, left + image.width, top + image.height};
}

void MainMenuScreen::OpenTile(int tile) {
  switch (tile) {
    case kTileChannels: Navigate(kChannelFoldersScreen); break;
    case kTileSettings: Navigate(kSettingsScreen); break;
    case kTileVideos: Submit(model::kCommandVideos); break;
    case kTileMessages: Submit(model::kCommandMessages); break;
    default: break;
  }
}

bool MainMenuScreen::OnPointer(int x, int y, int kind) {
  if (kind == kPointerDown && AdvanceNotices()) return true;
  if (Screen::OnPointer(x, y, kind)) return true;
  for (int tile = 0; tile < kTileCount; ++tile) {
    if (!platform::Contains(TileRect(tile), x, y)) continue;
    selection_ = tile;
    if (kind == kPointerUp) OpenTile(tile);
    return true;
  }
  return false;
}

bool MainMenuScreen::OnKeyDown(int key) {
  if (AdvanceNotices()) return true;
  if (popupShown_) return Screen::OnKeyDown(key);
  const auto tile = static_cast<std::size_t>(selection_ % kTileCount);
  switch (key) {
    case kKeyLeft: selection_ = kLeftOf[tile]; return true;
    case kKeyRight: selection_ = kRightOf[tile]; return true;
    case kKeyUp:
    case kKeyDown: selection_ = kOtherRow[tile]; return true;
    case kKeyAction: OpenTile(selection_); return true;
    default: return false;
  }
}

bool MainMenuScreen::OnKeyUp(int key) {
  if (AdvanceNotices()) return true;
  if (Screen::OnKeyUp(key)) return true;
  if (popupShown_) return false;
  if (key == kKeyLeftSoft) {
    Submit(model::kCommandHelpThemes);
    return true;
  }
  if (key == kKeyRightSoft) {
    Shutdown();
    return true;
  }
  return false;
}

void MainMenuScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  int target = -1;
  switch (command) {
    case model::kCommandVideos: target = kVideoCatalogueScreen; break;
    case model::kCommandMessages: target = kMessagesScreen; break;
    case model::kCommandHelpThemes: target = kHelpThemesScreen; break;
    default: return;
  }
  if (Succeeded(result)) Navigate(target);
}

void MainMenuScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeader(painter, target, kNoIcon, L"", L"");
  const int width = painter.ScreenWidth();
  const int header = painter.Image(kImageTopLine).height;
  const SkinImage& logo = painter.Image(kImageMenuLogo);
  DrawImage(painter, target, kImageMenuLogo, (width - logo.width) / 2, (header - logo.height) / 2);
  for (int tile = 0; tile < kTileCount; ++tile) {
    const Tile& t = kTiles[static_cast<std::size_t>(tile)];
    const platform::Rect rect = TileRect(tile);
    DrawImage(painter, target, tile == selection_ ? t.selectedImage : t.unselectedImage, rect.left, rect.top);
  }
  const Tile& chosen = kTiles[static_cast<std::size_t>(selection_ % kTileCount)];
  DrawLabel(painter, target, resources::Strings().Get(chosen.name), {0, header, width, header + kTileLabelHeight},
            kLabelCentred, painter.FontBig(), kWhite, 0, false);
  DrawLabel(painter, target, resources::Strings().Get(chosen.description),
            {0, header + kTileLabelHeight, width, header + 2 * kTileLabelHeight}, kLabelCentred, painter.FontText(),
            kWhite, 0, false);
  DrawSoftKeyBar(painter, target, kSoftKeySelect, kHelpSoftKey, kSoftKeyExit);
}

}  // namespace kestrova::ui::screens
