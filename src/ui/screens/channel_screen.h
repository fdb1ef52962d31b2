// Screen 10: one channel with its card and the rows of what can be done
// with it: watch it, or buy the package and load it again when it cannot be
// watched; its next and previous programmes when it has a programme, and
// (left soft key) its programme of today.
#pragma once

#include <vector>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class ChannelScreen final : public CatalogueScreen {
 public:
  enum class Row { kWatch, kBuy, kRefresh, kNextProgrammes, kPreviousProgrammes };

  ChannelScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyUp(int key) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  // The channel shown, while it is still an entry of the current level
  // (loading the level again replaces its records); else null.
  model::CatalogueItem* Channel() const;
  const std::vector<Row>& ActionRows() const { return actionRows_; }

 private:
  void Activate() override;
  void Back() override;
  void ReloadFolder();

  model::CatalogueItem* channel_ = nullptr;  // an entry of the current level; not owning
  int channelId_ = 0;
  bool watchable_ = false;
  bool offerShown_ = false;
  std::vector<Row> actionRows_;
};

}  // namespace kestrova::ui::screens
