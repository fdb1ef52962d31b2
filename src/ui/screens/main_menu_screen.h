// Screen 5, the main menu: four tiles (channels, settings, videos,
// messages) in a 2 x 2 grid, the chosen tile's name and description under
// the header, help on the left soft key and exit on the right. After a
// login it shows the service's messages as notices, one after another.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class MainMenuScreen final : public CatalogueScreen {
 public:
  static constexpr int kTileChannels = 0;
  static constexpr int kTileSettings = 1;
  static constexpr int kTileVideos = 2;
  static constexpr int kTileMessages = 3;
  static constexpr int kTileCount = 4;
  static constexpr platform::Colour kBackground = platform::Rgb(81, 81, 82);

  MainMenuScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnPointer(int x, int y, int kind) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  platform::Colour Background() const override { return kBackground; }

  // The tile's rectangle in the screen's layout.
  platform::Rect TileRect(int tile) const;
  bool NoticesActive() const { return notice_ >= 0; }

 private:
  void OpenTile(int tile);
  // Shows the next notice, or ends the queue after the last one; true while
  // the queue was active (the key or tap is used up).
  bool AdvanceNotices();
  void ShowNotice(int index);

  int notice_ = -1;  // index of the message shown as a notice, -1 when the queue is not active
};

}  // namespace kestrova::ui::screens
