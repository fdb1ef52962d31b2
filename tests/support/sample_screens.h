// Small screens built on the Screen base class, for tests, screenshots and
// the paint benchmark: a list with header, icons, right texts, scroll bar
// and soft keys, and a form with two input rows under the native edit box.
// They record what reached them so tests can check the framework's calls.
#pragma once

#include <string>
#include <vector>

#include "ui/form_edit_box.h"
#include "ui/screen.h"
#include "ui/screen_manager.h"
#include "ui/skin_image_table.h"

namespace kestrova::test {

struct SampleItem {
  std::wstring text;
  int leftIcon = -1;
  int rightIcon = -1;
  std::wstring rightText;
};

// Items "Channel 1" ... "Channel n" with the TV icon.
std::vector<SampleItem> NumberedItems(int count, std::wstring_view prefix = L"Channel ");

// A channel list with badges, icons and one title far too long for its row
// (it scrolls as a ticker when focused): the first `count` of eleven rows.
// The screenshots and the paint benchmark show it.
std::vector<SampleItem> SampleChannelRows(std::size_t count = 11);

class SampleListScreen : public ui::Screen {
 public:
  static constexpr int kTitleString = 101;       // "Channels"
  static constexpr int kMiddleSoftKey = 105;     // "Select"
  static constexpr int kRightSoftKey = 2;        // "Back"
  static constexpr int kHeaderIcon = ui::kImageIconTv;

  SampleListScreen(int id, std::vector<SampleItem> items);

  // The entry operation: rows, selection and page from the start, a fresh
  // scroll bar.
  void Enter(std::vector<SampleItem> items);
  void SetHeaderRightText(std::wstring text) { headerRight_ = std::move(text); }

  bool OnPointer(int x, int y, int kind) override;
  bool OnKeyUp(int key) override;
  bool OnKeyDown(int key) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(ui::Painter& painter, platform::Canvas& target) override;
  void OnCurrentChanged(bool active) override;

  // What reached the screen.
  std::vector<int> activations;     // selections activated (action key or tap)
  std::vector<int> softKeys;        // soft keys handled without a pop-up
  std::vector<int> popupKeys;       // OnPopupKey calls
  std::vector<bool> currentChanges;  // OnCurrentChanged arguments
  std::vector<int> results;         // commands of OnRequestDone
  int draws = 0;

 private:
  std::vector<SampleItem> items_;
  std::wstring headerRight_;
};

// A log-in style form: caption rows, the login (row 1) and password (row 3)
// inputs under the edit box, and two button rows.
class SampleFormScreen : public ui::Screen {
 public:
  static constexpr int kLoginSelection = 0;
  static constexpr int kPasswordSelection = 1;
  static constexpr int kLoginButton = 2;
  static constexpr int kRegisterButton = 3;

  explicit SampleFormScreen(int id = ui::kLoginScreen);

  bool OnPointer(int x, int y, int kind) override;
  bool OnKeyUp(int key) override;
  bool OnKeyDown(int key) override;
  void Draw(ui::Painter& painter, platform::Canvas& target) override;
  void OnCurrentChanged(bool active) override;
  bool IsForm() const override { return true; }

  ui::FormEditBox& Fields() { return fields_; }
  std::vector<int> activations;  // button rows activated
  std::vector<int> softKeys;     // soft keys handled without a pop-up

 private:
  // Drawing row (32-pixel rows below the header) of each selection.
  static int DrawRow(int selection);
  ui::FormEditBox fields_;
};

}  // namespace kestrova::test
