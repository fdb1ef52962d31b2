// Screen 18: the service's messages, loaded page by page, with a more-row
// at the end while the server has more of them than are loaded. A message
// opens as a pop-up; the left soft key writes to the service.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class MessagesScreen final : public CatalogueScreen {
 public:
  MessagesScreen();

  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyUp(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  bool IsMoreRow(int row) const { return hasMoreRow_ && row == itemCount_ - 1; }

 private:
  void Activate() override;
  void Back() override;
  // Rows for the messages loaded now, the selection kept in view.
  void Rebuild(int selection, int firstVisible);

  bool hasMoreRow_ = false;
};

}  // namespace kestrova::ui::screens
