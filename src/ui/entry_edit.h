// The view's text-entry box: the native edit box with the view's key rules.
// Up and down and the two soft keys go on to the view (so that they move
// the form's selection or act as soft keys while the box has the focus);
// Back deletes the selection, or the character before the caret; everything
// else is the box's own typing.
#pragma once

#include <functional>

#include "platform/edit_control.h"
#include "platform/messages.h"
#include "platform/window.h"

namespace kestrova::ui {

class EntryEdit final : public platform::EditControl, public platform::MessageTarget {
 public:
  static constexpr int kControlId = 1;
  static constexpr std::uint32_t kKeyProcessedByInputMethod = 229;

  // `parent` receives the keys the box passes on.
  EntryEdit(platform::Window& window, platform::MessageTarget& parent);
  ~EntryEdit();

  // Shows the box and gives it the keyboard focus (typed text comes here).
  void ShowFocused();
  // Hides the box; the focus goes back to the view.
  void Hide();

  // Called whenever the box gains or loses the focus (the view decides
  // whether the system's text input runs).
  void SetFocusListener(std::function<void()> listener) { focusListener_ = std::move(listener); }

  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) override;

  void OnKeyDown(std::uint32_t key);
  void OnKeyUp(std::uint32_t key);

 private:
  void ChangeFocus(bool focused);
  void Repaint();

  platform::Window& window_;
  platform::MessageTarget& parent_;
  std::function<void()> focusListener_;
};

}  // namespace kestrova::ui
