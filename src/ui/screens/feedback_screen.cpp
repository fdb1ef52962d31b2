#include "ui/screens/feedback_screen.h"

#include <algorithm>

#include "model/command_ids.h"
#include "resources/string_table.h"
#include "ui/bars.h"
#include "ui/entry_edit.h"
#include "ui/labels.h"
#include "ui/painter.h"
#include "ui/rows.h"
#include "ui/screens/list_drawing.h"
#include "ui/screens/subscription_offer.h"
#include "ui/skin_image_table.h"
#include "ui/ticker.h"

namespace kestrova::ui::screens {
namespace {

constexpr int kTitle = 62;
constexpr int kEmptyText = 76;
constexpr int kSendText = 18;
constexpr int kRowCount = 4;
constexpr int kInputCount = 3;
constexpr int kCaptions[kInputCount] = {15, 16, 17};  // e-mail, phone, message
constexpr int kFieldInset = 28;

}  // namespace

FeedbackScreen::FeedbackScreen()
    : CatalogueScreen(kFeedbackScreen, kRowCount, false, kRowCount),
      fields_({{kEmailRow, DrawRow(kEmailRow), false, L""},
               {kPhoneRow, DrawRow(kPhoneRow), false, L""},
               {kTextRow, DrawRow(kTextRow), false, L""}}) {
  rows_.clear();
  for (int selection = 0; selection < kRowCount; ++selection) {
    const int top = RowTop(DrawRow(selection));
    rows_.push_back({0, top, 240, top + kRowHeight, true});
  }
}

int FeedbackScreen::DrawRow(int selection) {
  // Rows 64 pixels apart from y = 64, each input under its caption; the
  // send button last.
  return 2 * std::clamp(selection, 0, kRowCount - 1) + 1;
}

bool FeedbackScreen::Enter(const ScreenEntry& entry) {
  if (entry.returnScreen >= 0) returnScreen_ = entry.returnScreen;
  acknowledgementShown_ = false;
  return true;
}

void FeedbackScreen::SyncFields() {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  fields_.OnCurrentChanged(*painter->Edit(), true, selection_, popupShown_, false, painter->ScreenWidth());
}

void FeedbackScreen::Activate() {
  SyncFields();
  if (selection_ != kSendButton) return;
  if (Text(kTextRow).empty()) {
    ShowPopupById(false, kPopupErrorTitle, resources::Strings().Get(kEmptyText), kNoKey, kNoKey);
    return;
  }
  CommandParameters parameters;
  parameters.email = Text(kEmailRow);
  parameters.phone = Text(kPhoneRow);
  parameters.text = Text(kTextRow);
  Submit(model::kCommandFeedback, parameters);
}

void FeedbackScreen::Back() { Navigate(returnScreen_); }

void FeedbackScreen::OnPopupKey(int key) {
  const bool acknowledgement = acknowledgementShown_;
  acknowledgementShown_ = false;
  ClosePopup();
  if (acknowledgement && key == kKeyRightSoft) Navigate(kMainMenuScreen);
}

void FeedbackScreen::OnRequestDone(int command, model::RequestResultPtr result) {
  if (command != model::kCommandFeedback) return;
  if (Succeeded(result)) {
    // Sent: the message is not offered for sending a second time.
    Painter* painter = Owner()->GetPainter();
    if (painter != nullptr && painter->Edit() != nullptr) fields_.SetText(*painter->Edit(), kTextRow, L"");
    acknowledgementShown_ = true;
    ShowPopupById(true, kNoticeTitle, Data().feedbackMessage, kNoKey, kAcknowledgeKey);
  }
  Owner()->SetNeedsRedraw();
}

void FeedbackScreen::Draw(Painter& painter, platform::Canvas& target) {
  DrawHeaderById(painter, target, kNoIcon, kTitle, L"");
  const resources::StringTable& strings = resources::Strings();
  const int width = painter.ScreenWidth();
  for (int field = 0; field < kInputCount; ++field) {
    const int row = DrawRow(field);
    const int captionTop = RowTop(row - 1);
    DrawLabel(painter, target, strings.Get(kCaptions[field]),
              {kBarMargin, captionTop, width - kBarMargin, captionTop + kRowHeight}, kLabelBottom, painter.FontText(),
              kWhite, 0, false);
    DrawImage(painter, target, selection_ == field ? kImageFormSelInput : kImageFormUnselInput, 0, RowTop(row) + 1);
    DrawLabel(painter, target, fields_.Text(field),
              {kFieldInset, RowTop(row) + 1, width - kFieldInset, RowTop(row) + kRowHeight - 1}, kLabelLeft,
              painter.FontText(), kBlack, 0, false);
  }
  DrawButtonRow(painter, target, DrawRow(kSendButton), strings.Get(kSendText), selection_ == kSendButton,
                kTickerFirstRow);
  DrawSoftKeyBar(painter, target, selection_ == kSendButton ? kSoftKeySelect : kNoSoftKey, kNoSoftKey, kSoftKeyBack);
}

void FeedbackScreen::OnCurrentChanged(bool active) {
  Painter* painter = Owner() != nullptr ? Owner()->GetPainter() : nullptr;
  if (painter == nullptr || painter->Edit() == nullptr) return;
  fields_.OnCurrentChanged(*painter->Edit(), active, selection_, popupShown_, false, painter->ScreenWidth());
}

}  // namespace kestrova::ui::screens
