// Screen 15: one folder of the on-demand video catalogue, loaded page by
// page: its sub-folders and videos, and a more-row that loads the next page
// while the server has more entries than are loaded. A sub-folder opens as
// the same screen with that folder; going back shows the parent with the
// sub-folder selected. While the user has no favourites, the catalogue's
// top level hides its (empty) favourites folder, and every count and index
// of the screen leaves that hidden entry out.
#pragma once

#include <map>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class VideoCatalogueScreen final : public CatalogueScreen {
 public:
  VideoCatalogueScreen();

  // From the main menu: the root folder. From this screen: the folder
  // requested last (a sub-folder, or the parent when going back).
  bool Enter(const ScreenEntry& entry) override;
  // Back from the details: the folder may have changed meanwhile
  // (favourites, purchases), so the rows follow it.
  void Refresh(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  const model::ProgrammeElement* Folder() const { return folder_; }
  bool SkipsFirstEntry() const { return skipFirst_; }
  // The folder entry on row `row` (the hidden entry left out), or null for
  // the more-row and rows past the end.
  model::ProgrammeElement* EntryAt(int row) const;
  model::ProgrammeElement* SelectedEntry() const { return EntryAt(selection_); }
  bool IsMoreRow(int row) const { return hasMoreRow_ && row == itemCount_ - 1; }

 private:
  void Activate() override;
  void Back() override;
  // Loaded entries shown (the hidden one left out), plus the more-row.
  int ShownCount();
  // Rows, selection and page for the folder shown now.
  void Rebuild(int selection, int firstVisible);
  void RequestFolder(model::ProgrammeElement& folder);
  bool InTree(const model::ProgrammeElement* folder) const;

  model::ProgrammeElement* folder_ = nullptr;     // the folder shown; not owning
  model::ProgrammeElement* requested_ = nullptr;  // the folder requested last; not owning
  bool skipFirst_ = false;
  bool hasMoreRow_ = false;
  std::map<int, int> firstRows_;  // each folder's first visible row, by folder id
};

}  // namespace kestrova::ui::screens
