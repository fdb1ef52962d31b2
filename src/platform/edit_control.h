// The native single-line edit box, drawn by the program over its view: text,
// caret, selection, password character, numbers-only style, horizontal
// scrolling that keeps the caret in view, and a window region that limits
// where it draws. Its owner supplies the colours and background brush when it
// is drawn (the handset's control-colour request). Text arrives as typed
// characters (WM_CHAR) and caret keys.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/font.h"
#include "platform/messages.h"
#include "platform/rect.h"

namespace kestrova::platform {

// True where the system shows an on-screen keyboard for text input; on a
// desktop the physical keyboard types whenever an edit box has the focus.
bool HasScreenKeyboard();

class EditControl {
 public:
  // What the owner answers to the control-colour request.
  struct Colours {
    Colour text;
    Colour background;            // behind the text unless transparent
    bool transparentText = true;  // text drawn without its own background
    const Bitmap* brush = nullptr;  // pattern that fills the box; null: the background colour
  };

  static constexpr int kMargin = 2;  // pixels between the box's edge and its text
  static constexpr Colour kSelectionBackground = Rgb(51, 102, 204);
  static constexpr Colour kSelectionText = Rgb(255, 255, 255);

  EditControl() = default;
  virtual ~EditControl() = default;
  EditControl(const EditControl&) = delete;
  EditControl& operator=(const EditControl&) = delete;

  void SetFont(const Font* font) { font_ = font; }
  void SetText(std::wstring_view text);
  const std::wstring& Text() const { return text_; }

  // Selection from start to end (the caret is at end); values are clamped to
  // the text, -1 as end means the end of the text.
  void SetSel(int start, int end);
  int SelStart() const { return std::min(anchor_, caret_); }
  int SelEnd() const { return std::max(anchor_, caret_); }
  int Caret() const { return caret_; }
  bool HasSelection() const { return anchor_ != caret_; }
  void SelectAll() { SetSel(0, -1); }
  // Deletes the selected text (the handset's WM_CLEAR).
  void Clear();
  void ReplaceSel(std::wstring_view text);

  // 0: characters are shown as typed.
  void SetPasswordChar(wchar_t character) { passwordChar_ = character; }
  wchar_t PasswordChar() const { return passwordChar_; }
  void SetNumbersOnly(bool on) { numbersOnly_ = on; }
  bool NumbersOnly() const { return numbersOnly_; }

  // The box's rectangle in view pixels.
  void Move(const Rect& windowRect);
  const Rect& WindowRect() const { return window_; }
  // Drawing is limited to this rectangle in the box's own coordinates
  // (nullopt: the whole box).
  void SetWindowRegion(const std::optional<Rect>& region) { region_ = region; }
  const std::optional<Rect>& WindowRegion() const { return region_; }

  void Show(bool visible) { visible_ = visible; }
  bool Visible() const { return visible_; }
  void SetFocused(bool focused) { focused_ = focused; }
  bool Focused() const { return focused_; }

  // Scrolls the text so that the caret is inside the box.
  void ScrollCaret();
  int ScrollOffset() const { return scroll_; }

  // The box's own handling of input.
  void HandleKeyDown(std::uint32_t key);
  void HandleChar(wchar_t character);
  // A tap at (x, y) in view pixels puts the caret at the nearest character.
  void HandlePointerDown(int x, int y);

  void Draw(Canvas& canvas, const Colours& colours) const;

 private:
  // The text as drawn (password characters in place of the text).
  wchar_t Shown(std::size_t index) const { return passwordChar_ != 0 ? passwordChar_ : text_[index]; }
  int TextWidth(std::size_t count) const;  // width of the first count shown characters
  int ClientWidth() const { return window_.Width() - 2 * kMargin; }
  void DrawRun(Canvas& canvas, std::size_t begin, std::size_t end, int x, int y, Colour colour) const;

  const Font* font_ = nullptr;
  std::wstring text_;
  int anchor_ = 0;
  int caret_ = 0;
  int scroll_ = 0;
  wchar_t passwordChar_ = 0;
  bool numbersOnly_ = false;
  Rect window_;
  std::optional<Rect> region_;
  bool visible_ = false;
  bool focused_ = false;
};

}  // namespace kestrova::platform
