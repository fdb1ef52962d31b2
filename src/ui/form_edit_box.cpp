#include "ui/form_edit_box.h"

#include "ui/entry_edit.h"

namespace kestrova::ui {

namespace {

constexpr int kFieldLeft = 28;
constexpr int kFieldInset = 7;
constexpr int kBoxWidening = 3;
const std::wstring kNoText;

}  // namespace

platform::Rect EditBoxRect(int row, int screenWidth) {
  const platform::Rect field{kFieldLeft, 32 * row + 33, screenWidth - kFieldLeft, 32 * row + 65};
  return {field.left - kBoxWidening, field.top + kFieldInset, field.right + kBoxWidening, field.bottom - kFieldInset};
}

const FormEditBox::Field* FormEditBox::Find(int selection) const {
  for (const auto& field : fields_) {
    if (field.selection == selection) return &field;
  }
  return nullptr;
}

FormEditBox::Field* FormEditBox::Find(int selection) {
  for (auto& field : fields_) {
    if (field.selection == selection) return &field;
  }
  return nullptr;
}

void FormEditBox::ReadBack(const EntryEdit& edit) {
  if (Field* field = Find(editing_)) field->text = edit.Text();
  editing_ = -1;
}

void FormEditBox::OnCurrentChanged(EntryEdit& edit, bool active, int selection, bool popupShown,
                                   bool autoLoginRunning, int screenWidth) {
  Field* field = Find(selection);
  if (active && (popupShown || autoLoginRunning) && field != nullptr) return;
  ReadBack(edit);
  if (!active || field == nullptr) {
    // Left on a row that is no longer focused (a tap moves the focus without
    // the view hiding the box first), it would take typing for no row.
    edit.Hide();
    return;
  }

  const platform::Rect box = EditBoxRect(field->row, screenWidth);
  edit.SetText(field->text);
  edit.Move(box);
  edit.SetWindowRegion(platform::Rect{1, 1, box.Width() - 1, box.Height() - 1});
  edit.SetPasswordChar(field->password ? kPasswordChar : 0);
  edit.SetNumbersOnly(false);
  edit.SelectAll();
  edit.ScrollCaret();
  edit.ShowFocused();
  editing_ = selection;
}

const std::wstring& FormEditBox::Text(int selection) const {
  const Field* field = Find(selection);
  return field != nullptr ? field->text : kNoText;
}

void FormEditBox::SetText(EntryEdit& edit, int selection, std::wstring_view text) {
  Field* field = Find(selection);
  if (field == nullptr) return;
  field->text.assign(text);
  if (editing_ == selection) {
    edit.SetText(text);
    edit.SelectAll();
    edit.ScrollCaret();
  }
}

}  // namespace kestrova::ui
