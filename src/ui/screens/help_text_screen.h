// Screen 21: the texts of one help theme, each subject followed by its
// text, word-wrapped to the screen's width and scrolled line by line with
// up and down.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class HelpTextScreen final : public CatalogueScreen {
 public:
  HelpTextScreen();

  // With the theme selected on the help themes screen; false without one.
  bool Enter(const ScreenEntry& entry) override;
  bool OnKeyDown(int key) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  // The number of laid-out lines and the first one shown.
  int LineCount() const { return static_cast<int>(lines_.size()); }
  int FirstLine() const { return firstVisible_; }

 private:
  void Back() override;
  bool IsSubject(const platform::TextLine& line) const;

  std::wstring title_;  // the theme's name
  std::wstring text_;
  std::vector<platform::TextLine> lines_;
  // Where the subjects lie in the text; they are drawn highlighted.
  std::vector<std::pair<std::size_t, std::size_t>> subjects_;
};

}  // namespace kestrova::ui::screens
