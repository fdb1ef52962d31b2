// Screen 9: the entries of the current level of the channel catalogue
// (sub-folders, channels and the entries of a paid package), each level
// with its own remembered selection and page. Opening a sub-folder loads it
// once; a package is bought by SMS and then loaded again.
#pragma once

#include <map>

#include "ui/screens/catalogue_screen.h"
#include "ui/screens/logo_refetch.h"

namespace kestrova::ui::screens {

class ChannelFoldersScreen final : public CatalogueScreen {
 public:
  ChannelFoldersScreen();

  bool Enter(const ScreenEntry& entry) override;
  // Back from the channel screen: the level may have been loaded again.
  void Refresh(const ScreenEntry& entry) override;
  bool OnPointer(int x, int y, int kind) override;
  bool OnKeyDown(int key) override;
  bool OnKeyUp(int key) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  // Selects an entry of the current level (and remembers it for the level).
  void SelectEntry(int index);
  // The entry the selection is on, or null.
  model::CatalogueItem* SelectedEntry() const;
  // Whether the current level shows its own card above the entries.
  bool HasHeaderArea() const;

 private:
  struct Position {
    int selection = 0;
    int firstVisible = 0;
  };

  model::FolderNode& Folder() const;
  void Remember();
  void Reenter();
  void Activate() override;
  void Back() override;

  std::map<int, Position> positions_;  // by folder id
  bool offerShown_ = false;
  LogoRefetch logos_;  // dropped logos of the level, asked for again as they are drawn
};

}  // namespace kestrova::ui::screens
