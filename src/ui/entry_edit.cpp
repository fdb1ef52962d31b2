#include "ui/entry_edit.h"

namespace kestrova::ui {

EntryEdit::EntryEdit(platform::Window& window, platform::MessageTarget& parent) : window_(window), parent_(parent) {}

EntryEdit::~EntryEdit() {
  if (window_.Focus() == this) window_.SetFocus(nullptr);
}

void EntryEdit::ChangeFocus(bool focused) {
  if (Focused() == focused) return;
  SetFocused(focused);
  window_.SetFocus(focused ? this : nullptr);
  if (focusListener_) focusListener_();
}

void EntryEdit::ShowFocused() {
  Show(true);
  ChangeFocus(true);
  Repaint();
}

void EntryEdit::Hide() {
  const bool wasVisible = Visible();
  Show(false);
  ChangeFocus(false);
  if (wasVisible) Repaint();
}

void EntryEdit::Repaint() { window_.Invalidate(WindowRect()); }

void EntryEdit::OnKeyDown(std::uint32_t key) {
  if (key == platform::VK_UP || key == platform::VK_DOWN) {
    parent_.WindowProc(platform::WM_KEYDOWN, key, 0);
    return;
  }
  HandleKeyDown(key);
  Repaint();
}

void EntryEdit::OnKeyUp(std::uint32_t key) {
  // Key 229 (the input method consumed the key) does not occur here: typed
  // text arrives already composed as WM_CHAR.
  switch (key) {
    case platform::VK_BACK_KEY:
      if (HasSelection()) {
        Clear();
      } else if (Caret() > 0) {
        std::wstring text = Text();
        const int at = Caret() - 1;
        text.erase(static_cast<std::size_t>(at), 1);
        SetText(text);
        SetSel(at, at);
        ScrollCaret();
      }
      Repaint();
      return;
    case platform::VK_F1:
    case platform::VK_F2: parent_.WindowProc(platform::WM_KEYUP, key, 0); return;
    default: return;
  }
}

platform::LRESULT EntryEdit::WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM) {
  switch (message) {
    case platform::WM_KEYDOWN: OnKeyDown(static_cast<std::uint32_t>(wParam)); return 0;
    case platform::WM_KEYUP: OnKeyUp(static_cast<std::uint32_t>(wParam)); return 0;
    case platform::WM_CHAR:
      HandleChar(static_cast<wchar_t>(wParam));
      Repaint();
      return 0;
    default: return 0;
  }
}

}  // namespace kestrova::ui
