// Screen 11: the player. It sets the stream of a channel up and shows the
// channel's card with the player's status under the picture; up and down
// change the volume in steps of four between 0 and 64, the right soft key
// leaves. A failed set-up takes the user back to where playback was
// started and says so there.
#pragma once

#include <string>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class PlayerScreen final : public CatalogueScreen {
 public:
  static constexpr int kFromChannel = 0;   // started from the channel screen
  static constexpr int kFromFolders = 1;   // started from the channel folders
  static constexpr int kStartVolume = 32;
  static constexpr int kMaxVolume = 64;
  static constexpr int kVolumeStep = 4;

  PlayerScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  int Kind() const { return kind_; }
  int Volume() const { return volume_; }
  const std::wstring& StatusText() const { return status_; }
  model::CatalogueItem* Channel() const { return channel_; }

 private:
  void Leave();

  model::CatalogueItem* channel_ = nullptr;  // not owning
  int kind_ = kFromChannel;
  int volume_ = kStartVolume;
  std::wstring status_;
};

}  // namespace kestrova::ui::screens
