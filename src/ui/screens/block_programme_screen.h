// Screen 14: the entries of one programme block under a band with the
// block's times. Headings are drawn but never focused; in the block on air
// the entry running now is focused. An entry opens its details.
#pragma once

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class BlockProgrammeScreen final : public CatalogueScreen {
 public:
  BlockProgrammeScreen();

  // From the day's programme: its selected block.
  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  bool OnPointer(int x, int y, int kind) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  model::ProgrammeBlock* Block() const { return block_; }
  // The programme entry the selection is on, or null.
  model::ProgrammeElement* SelectedEntry() const;
  // Whether entry i is a programme entry (not a heading).
  bool IsProgrammeEntry(int index) const;

 private:
  bool Activatable(int row) const override { return IsProgrammeEntry(row); }
  void Activate() override;
  void Back() override;
  void ShowFrom(int first);

  model::ProgrammeBlock* block_ = nullptr;  // not owning
};

}  // namespace kestrova::ui::screens
