// The native edit box on the form screens (login, gift code, feedback): it is
// placed over the focused input row and shown while that row has the focus,
// and the text typed into it is kept per row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/rect.h"

namespace kestrova::ui {

class EntryEdit;

constexpr wchar_t kPasswordChar = L'*';

// The edit box's rectangle over input row r (r counted in 32-pixel rows from
// the top of the screen, header included): the row's field (28, 32r + 33,
// W - 28, 32r + 65) less 7 pixels at top and bottom, 3 pixels wider on each
// side.
platform::Rect EditBoxRect(int row, int screenWidth);

class FormEditBox {
 public:
  struct Field {
    int selection;  // the screen's selection at which this field is focused
    int row;        // the row r of EditBoxRect
    bool password;
    std::wstring text;
  };

  explicit FormEditBox(std::vector<Field> fields) : fields_(std::move(fields)) {}

  // The form screen's OnCurrentChanged. Active on an input row while no
  // pop-up is up and no automatic login runs: the row's text goes into the
  // box, which is placed, styled, fully selected and focused. Otherwise (or
  // before moving the box to another row) the box's text is kept for the
  // row that was being edited, so nothing typed is lost, and the box is
  // hidden.
  void OnCurrentChanged(EntryEdit& edit, bool active, int selection, bool popupShown, bool autoLoginRunning,
                        int screenWidth);

  // The stored text of the field focused at `selection` ("" for none).
  const std::wstring& Text(int selection) const;
  // Replaces a field's text, also in the box when that field is being edited.
  void SetText(EntryEdit& edit, int selection, std::wstring_view text);
  bool IsInputRow(int selection) const { return Find(selection) != nullptr; }
  int EditingSelection() const { return editing_; }

 private:
  const Field* Find(int selection) const;
  Field* Find(int selection);
  void ReadBack(const EntryEdit& edit);

  std::vector<Field> fields_;
  int editing_ = -1;  // selection of the field the box holds, -1 none
};

}  // namespace kestrova::ui
