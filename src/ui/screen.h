// The base of every screen: up to eight 32-pixel rows with a selection and
// paging, an optional scroll bar, a modal pop-up with optional soft-key
// buttons, the nine operations through which the screen manager hands it
// events, in their fixed order, and the traits by which the manager and the
// view treat a screen without knowing which one it is.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/request_result.h"
#include "platform/canvas.h"
#include "platform/colour.h"
#include "ui/row_rect.h"
#include "ui/scroll_bar.h"

namespace kestrova::ui {

class Painter;
class ScreenManager;

// Key codes the screens receive.
constexpr int kKeyAction = 0x0D;
constexpr int kKeyLeft = 0x25;
constexpr int kKeyUp = 0x26;
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyLeftSoft = 0x70;
constexpr int kKeyRightSoft = 0x71;

// Pointer kinds of OnPointer.
constexpr int kPointerDown = ScrollBar::kPointerDown;
constexpr int kPointerUp = ScrollBar::kPointerUp;
constexpr int kPointerMove = ScrollBar::kPointerMove;

constexpr int kNoKey = -1;           // a pop-up key that is not set
constexpr int kPopupErrorTitle = 23;  // title string of failed-request pop-ups
constexpr int kDefaultRowsPerPage = 8;

// The colour a screen's picture starts from unless the screen says otherwise.
constexpr platform::Colour kScreenBackground = platform::Rgb(102, 102, 102);

class Screen {
 public:
  // An object the screen owns for its life (e.g. a per-screen helper).
  class Auxiliary {
   public:
    virtual ~Auxiliary() = default;
  };

  explicit Screen(int id = -1, int rowsPerPage = kDefaultRowsPerPage, bool hasList = false, int itemCount = 0);
  virtual ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // 1. Recomputes which rows are visible; with scrollToSelection the page
  //    first moves so that the selection is on it.
  virtual void Relayout(bool scrollToSelection, int previousSelection = -1);
  // 2. Always 0.
  virtual int Reserved();
  // 3. kind 0 down, 1 up, 3 move; true when handled.
  virtual bool OnPointer(int x, int y, int kind);
  // 4. Soft keys (0x70 left, 0x71 right) and other key releases.
  virtual bool OnKeyUp(int key);
  // 5. Up 0x26, down 0x28, action 0x0D and other key presses.
  virtual bool OnKeyDown(int key);
  // 6. A soft key pressed while a pop-up with buttons is shown.
  virtual void OnPopupKey(int key);
  // 7. A network command this screen issued has finished; the screen owns
  //    the result (null when none came).
  virtual void OnRequestDone(int command, model::RequestResultPtr result);
  // 8. Draws the whole screen.
  virtual void Draw(Painter& painter, platform::Canvas& target) = 0;
  // 9. The screen becomes current (true) or stops being current (false).
  virtual void OnCurrentChanged(bool active);

  // Traits. A form edits its input rows in the view's native edit box: the
  // keyboard icon is drawn in its top-right corner, where a tap toggles the
  // input panel.
  virtual bool IsForm() const { return false; }
  // The colour the picture is filled with before the screen draws itself.
  virtual platform::Colour Background() const { return kScreenBackground; }
  // The screen's work for the view's one-second timer while it is current;
  // true when it has such work (the view then repaints), false when not.
  virtual bool RunSecondStep() { return false; }

  void SetOwner(ScreenManager* owner) { owner_ = owner; }
  ScreenManager* Owner() const { return owner_; }

  void ShowPopup(bool hasButtons, std::wstring_view title, std::wstring_view text, int leftKey, int rightKey);
  void ShowPopupById(bool hasButtons, int titleStringId, std::wstring_view text, int leftKey, int rightKey);
  void ClosePopup();

  // Empties the rows and adds `count` rows of the first page's geometry.
  void ResetRows(int count);
  void ShiftRows(int dx, int dy);
  // Creates the scroll bar of a list screen for the current item count.
  void ResetScrollBar();

  int Id() const { return id_; }
  int HitRow() const { return hitRow_; }
  const RowRectArray& Rows() const { return rows_; }
  ScrollBar* Bar() const { return scrollBar_.get(); }
  bool HasList() const { return hasList_; }
  int ItemCount() const { return itemCount_; }
  void SetItemCount(int count) { itemCount_ = count; }
  int RowsPerPage() const { return rowsPerPage_; }
  int FirstVisibleRow() const { return firstVisible_; }
  int Selection() const { return selection_; }
  void SetSelection(int selection) { selection_ = selection; }
  bool PopupShown() const { return popupShown_; }
  bool PopupHasButtons() const { return popupHasButtons_; }
  const std::wstring& PopupTitle() const { return popupTitle_; }
  const std::wstring& PopupText() const { return popupText_; }
  int LeftPopupKey() const { return leftPopupKey_; }
  int RightPopupKey() const { return rightPopupKey_; }

  void AddAuxiliary(std::unique_ptr<Auxiliary> object) { auxiliaries_.push_back(std::move(object)); }

 protected:
  // Marks row i visible exactly when it lies on the current page.
  void UpdateVisibility();
  // Moves the page so that `first` is its first row.
  void ScrollTo(int first);
  void SetHasList(bool hasList) { hasList_ = hasList; }
  void SetRowsPerPage(int rows) { rowsPerPage_ = rows; }

  int hitRow_ = -1;
  int id_;
  ScreenManager* owner_ = nullptr;
  RowRectArray rows_;
  std::unique_ptr<ScrollBar> scrollBar_;
  bool hasList_;
  int itemCount_;
  int rowsPerPage_;
  int firstVisible_ = 0;
  int selection_ = 0;
  bool popupShown_ = false;
  bool popupHasButtons_ = false;
  std::wstring popupTitle_;
  std::wstring popupText_;
  int leftPopupKey_ = kNoKey;
  int rightPopupKey_ = kNoKey;
  std::vector<std::unique_ptr<Auxiliary>> auxiliaries_;

 private:
  bool pressOnPopup_ = false;  // the current pointer press began on a pop-up
};

}  // namespace kestrova::ui
