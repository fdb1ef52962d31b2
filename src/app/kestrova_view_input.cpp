// The view's key, pointer and input-panel handling.
#include "app/kestrova_view.h"

#include "platform/input_panel.h"

namespace kestrova::app {

namespace {

// The thirds of the soft-key bar, as the handset computes them: single
// precision, so that x = 80 and x = 160 on a 240-pixel screen fall in the
// middle.
constexpr float kLeftThird = 0.33333334F;
constexpr float kRightThird = 0.6666667F;

bool IsActionOrArrow(std::uint32_t key) {
  return key == platform::VK_RETURN || key == platform::VK_LEFT || key == platform::VK_UP ||
         key == platform::VK_RIGHT || key == platform::VK_DOWN;
}

}  // namespace

void CKestrovaView::OnKeyDown(std::uint32_t key) {
  if (busy_) {
    // Back gives up waiting: the request ends at its next chunk and its
    // failure comes back as any failed request's does. Other keys wait.
    if (key == platform::VK_BACK_KEY && waitedRequest_) waitedRequest_->store(1);
    return;
  }
  if (!IsActionOrArrow(key)) return;
  HideEditBox();
  screenManager_.KeyDown(static_cast<int>(key));
}

void CKestrovaView::SoftKey(std::uint32_t key) {
  if (screenManager_.KeyUp(static_cast<int>(key))) InvalidateAndUpdate();
}

void CKestrovaView::OnKeyUp(std::uint32_t key) {
  if ((key != platform::VK_F1 && key != platform::VK_F2) || busy_) return;
  SoftKey(key);
}

void CKestrovaView::OnPointerDown(int x, int y) {
  // A tap on the edit box is the box's own (it places the caret).
  pointerOnEdit_ = entryEdit_.Visible() && !popupShown_ && platform::Contains(entryEdit_.WindowRect(), x, y);
  if (pointerOnEdit_) {
    entryEdit_.HandlePointerDown(x, y);
    entryEdit_.ShowFocused();
    return;
  }
  const int width = client_.Width();
  const int height = client_.Height();
  if (screenManager_.CurrentIsForm() && y <= kKeyboardIconHeight && x >= width - kKeyboardIconWidth) {
    ToggleInputPanel();
    InvalidateAndUpdate();
  }
  if (y < height - kSoftKeyBarHeight) {
    if (screenManager_.Pointer(x, y, ui::kPointerDown)) InvalidateAndUpdate();
    return;
  }
  if (busy_) return;
  const float fx = static_cast<float>(x);
  const float fw = static_cast<float>(width);
  if (fx < fw * kLeftThird) {
    SoftKey(platform::VK_F1);
  } else if (fx > fw * kRightThird) {
    SoftKey(platform::VK_F2);
  } else {
    HideEditBox();
    screenManager_.KeyDown(static_cast<int>(platform::VK_RETURN));
  }
}

void CKestrovaView::OnPointer(int kind, int x, int y) {
  if (pointerOnEdit_) {
    if (kind == ui::kPointerUp) pointerOnEdit_ = false;
    return;
  }
  if (screenManager_.Pointer(x, y, kind)) InvalidateAndUpdate();
}

void CKestrovaView::ApplyTextInput() {
  // Typing reaches a focused edit box from a physical keyboard at any time;
  // an on-screen keyboard appears only when the user asks for the panel.
  platform::ShowInputPanel(inputPanelShown_ || (entryEdit_.Focused() && !platform::HasScreenKeyboard()));
}

void CKestrovaView::ToggleInputPanel() {
  inputPanelShown_ = !inputPanelShown_;
  ApplyTextInput();
}

void CKestrovaView::ResetInputPanel() {
  inputPanelShown_ = false;
  ApplyTextInput();
}

}  // namespace kestrova::app
