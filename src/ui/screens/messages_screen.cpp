#include "ui/screens/messages_screen.h"

#include <algorithm>
#include <string>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/list_drawing.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 69;
constexpr int kMoreRowText = 108;
constexpr int kSoftKeyWrite = 114;

}  // namespace

MessagesScreen::MessagesScreen() : CatalogueScreen(kMessagesScreen, kDefaultRowsPerPage, true, 3) {}

void MessagesScreen::Rebuild(int selection, int firstVisible) {
  const model::DataState& data = Data();
  const int loaded = static_cast<int>(data.messages.size());
  hasMoreRow_ = loaded < data.messageTotal;
  const int count = loaded + (hasMoreRow_ ? 1 : 0);
  ResetList(count, selection);
  int first = std::clamp(firstVisible, 0, std::max(count - rowsPerPage_, 0));
  if (selection_ < first || selection_ >= first + rowsPerPage_) first = std::max(selection_ - rowsPerPage_ + 1, 0);
  ScrollTo(first);
  scrollBar_->SetFirstRow(firstVisible_);
}

bool MessagesScreen::Enter(const ScreenEntry&) {
  Rebuild(0, 0);
  return true;
}

void MessagesScreen::Activate() {
  if (IsMoreRow(selection_)) {
    Submit(model::kCommandMessages);
    return;
  }
  const auto& messages = Data().messages;
  if (selection_ < 0 || static_cast<std::size_t>(selection_) >= messages.size()) return;  // a stale selection
  const model::MessageRecord& message = *messages[static_cast<std::size_t>(selection_)];
  ShowPopup(false, message.header, message.text, kNoKey, kNoKey);
}

bool MessagesScreen::OnKeyUp(int key) {
  if (!popupShown_ && key == kKeyLeftSoft) {
    Navigate(kFeedbackScreen);
    return true;
  }
  return CatalogueScreen::OnKeyUp(key);
}

void MessagesScreen::Back() { Navigate(kMainMenuScreen); }

void MessagesScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandMessages || !Succeeded(result)) return;
  // The next page: the selection, on the more-row before, is now on its
  // first message.
  Rebuild(selection_, firstVisible_);
  Owner()->SetNeedsRedraw();
}

void MessagesScreen::Draw(Painter& painter, platform::Canvas& target) {
  const model::DataState& data = Data();
  const std::wstring position =
      itemCount_ > 0 ? std::to_wstring(std::min(selection_ + 1, data.messageTotal)) + L"/" + std::to_wstring(data.messageTotal)
                     : std::wstring();
  DrawHeaderById(painter, target, kNoIcon, kTitle, position);
  const auto& messages = data.messages;
  const int last = std::min(firstVisible_ + rowsPerPage_, itemCount_);
  for (int i = firstVisible_; i < last; ++i) {
    const int row = i - firstVisible_;
    const bool selected = i == selection_;
    if (IsMoreRow(i)) {
      DrawButtonRow(painter, target, row, resources::Strings().Get(kMoreRowText), selected, kTickerFirstRow + row);
      continue;
    }
    if (static_cast<std::size_t>(i) >= messages.size()) break;
    ListRowParts parts;
    parts.leftIcon = selected ? kImageIconMessageSelected : kImageIconMessageUnselected;
    DrawListRow(painter, target, row, messages[static_cast<std::size_t>(i)]->header, selected, kTickerFirstRow + row,
                parts);
  }
  if (scrollBar_) scrollBar_->Draw(target);
  DrawSoftKeyBar(painter, target, itemCount_ > 0 ? kSoftKeySelect : kNoSoftKey, kSoftKeyWrite, kSoftKeyBack);
}

}  // namespace kestrova::ui::screens
