// The payment, gift code, messages, feedback and help screens against a real
// server: a payment SMS written to the spool and credited, gift codes valid
// and invalid, messages paged, feedback refused when empty and acknowledged
// when sent, and help text scrolled line by line to both ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/kestrova_doc.h"
#include "journey_fixture.h"
#include "resources/string_table.h"
#include "support/scoped_environment.h"
#include "ui/screens/balance_text.h"
#include "ui/screens/feedback_screen.h"
#include "ui/screens/gift_code_screen.h"
#include "ui/screens/help_text_screen.h"
#include "ui/screens/messages_screen.h"
#include "ui/screens/payment_screen.h"

namespace kestrova::test {
namespace {

using AccountScreensJourney = JourneyTest;
using ui::screens::FeedbackScreen;
using ui::screens::GiftCodeScreen;

constexpr int kNoticeTitle = 44;
constexpr int kPaymentSentText = 127;
constexpr int kEmptyFeedbackText = 76;
constexpr int kPaymentRow = 0;
constexpr int kGiftCodeRow = 1;
constexpr int kMessagesPerPage = 10;


std::wstring Text(int id) { return resources::Strings().Get(id); }

// Main menu -> settings -> one of its rows.
void OpenFromSettings(UiHarness& ui, int row, int screen) {
  ui.Press(platform::VK_RIGHT);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
  SelectRow(ui, row);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), screen);
}

TEST_F(AccountScreensJourney, CreditBySmsAndGiftCodes) {
  const ScopedEnvironment spool("KESTROVA_SMS_SPOOL", Spool().string());  // the spool the server reads
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  app::CKestrovaDoc& doc = ui.Document();
  ASSERT_FALSE(doc.shortNumbers.empty());
  OpenFromSettings(ui, kPaymentRow, ui::kPaymentScreen);
  EXPECT_EQ(ui.Screens().Current()->ItemCount(), static_cast<int>(doc.shortNumbers.size()) + 1);

  // The first short number: confirmed, sent to the spool, reported, credited.
  const int before = doc.accountBalance;
  const int credit = doc.shortNumbers[0]->credit;
  TakeRequests();
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), Text(kNoticeTitle));
  ui.KeyUp(platform::VK_F1);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.Screens().Current()->PopupText(), Text(kPaymentSentText));
  const auto paying = TakeRequests();
  EXPECT_TRUE(Contains(paying, "sms_sent.php"));
  EXPECT_TRUE(Contains(paying, "bill.php"));
  EXPECT_EQ(doc.accountBalance, before + credit);
  EXPECT_NE(ui::screens::BalanceText(doc.accountBalance).find(std::to_wstring(doc.accountBalance)), std::wstring::npos);
  const std::filesystem::path sent = Spool().parent_path() / "sent";
  EXPECT_TRUE(std::filesystem::exists(sent) && !std::filesystem::is_empty(sent));
  ui.Press(platform::VK_RETURN);  // closes the pop-up

  // The balance row asks again; a stale selection does nothing.
  SelectRow(ui, ui.Screens().Current()->ItemCount() - 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_TRUE(Contains(TakeRequests(), "bill.php"));
  ui.Screens().Current()->SetSelection(40);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), L"");
  EXPECT_TRUE(TakeRequests().empty());
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);

  // A valid gift code credits the balance and clears the field.
  SelectRow(ui, kGiftCodeRow);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kGiftCodeScreen);
  auto& gift = dynamic_cast<GiftCodeScreen&>(*ui.Screens().Current());
  const int beforeGift = doc.accountBalance;
  ui.Type(L"welcome");
  ui.Press(platform::VK_DOWN);
  EXPECT_EQ(gift.Code(), L"welcome");
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.PopupTitle(), Text(kNoticeTitle));
  EXPECT_NE(gift.PopupText().find(L"50"), std::wstring::npos) << gift.PopupText();
  EXPECT_EQ(doc.accountBalance, beforeGift + 50);
  EXPECT_EQ(gift.Code(), L"");
  ui.Press(platform::VK_RETURN);

  // The same code again, and an unknown one: the server's message, the
  // balance and the field as they were.
  for (const std::wstring code : {L"WELCOME", L"NO-SUCH-CODE"}) {
    ui.Press(platform::VK_UP);
    ui.Type(code);
    ui.Press(platform::VK_DOWN);
    ui.Press(platform::VK_RETURN);
    ASSERT_TRUE(ui.RunUntilIdle());
    EXPECT_EQ(ui.PopupTitle(), Text(ui::kPopupErrorTitle)) << code;
    EXPECT_FALSE(gift.PopupText().empty());
    EXPECT_NE(gift.PopupText(), Text(24));  // the server's own words
    EXPECT_EQ(gift.Code(), code);
    EXPECT_EQ(doc.accountBalance, beforeGift + 50);
    ui.Press(platform::VK_RETURN);
  }
  ui.KeyUp(platform::VK_F2);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kSettingsScreen);
}

TEST_F(AccountScreensJourney, MessagesPagedFeedbackAndHelpText) {
  UiHarness ui(KESTROVA_BIN_DIR, AtServer());
  ASSERT_TRUE(RegisterThroughTheForms(ui));
  app::CKestrovaDoc& doc = ui.Document();

  // Messages: a page of ten and the more-row, then the rest.
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_RIGHT);  // the messages tile
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kMessagesScreen));
  auto& messages = dynamic_cast<ui::screens::MessagesScreen&>(*ui.Screens().Current());
  ASSERT_GT(doc.messageTotal, kMessagesPerPage);
  ASSERT_EQ(messages.ItemCount(), kMessagesPerPage + 1);
  EXPECT_TRUE(messages.IsMoreRow(kMessagesPerPage));
  SelectRow(ui, kMessagesPerPage);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(messages.ItemCount(), doc.messageTotal);
  EXPECT_FALSE(messages.IsMoreRow(messages.ItemCount() - 1));
  EXPECT_EQ(messages.Selection(), kMessagesPerPage);
  // A message opens as a pop-up; a stale selection opens nothing.
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), doc.messages[kMessagesPerPage]->header);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), L"");
  messages.SetSelection(doc.messageTotal + 2);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), L"");

  // Feedback from the messages: refused empty, then sent and acknowledged.
  ui.KeyUp(platform::VK_F1);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kFeedbackScreen);
  auto& feedback = dynamic_cast<FeedbackScreen&>(*ui.Screens().Current());
  TakeRequests();
  SelectRow(ui, FeedbackScreen::kSendButton);
  ui.Press(platform::VK_RETURN);
  EXPECT_EQ(ui.PopupTitle(), Text(ui::kPopupErrorTitle));
  EXPECT_EQ(feedback.PopupText(), Text(kEmptyFeedbackText));
  ui.Press(platform::VK_RETURN);
  EXPECT_TRUE(TakeRequests().empty());
  SelectRow(ui, FeedbackScreen::kEmailRow);
  ui.Type(L"viewer@example.org");
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_DOWN);
  ui.Type(L"More films & series, please");
  ui.Press(platform::VK_DOWN);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilIdle());
  EXPECT_EQ(ui.PopupTitle(), Text(kNoticeTitle));
  EXPECT_EQ(feedback.PopupText(), doc.feedbackMessage);
  EXPECT_FALSE(doc.feedbackMessage.empty());
  const auto sent = TakeRequests();
  const auto request = std::find_if(sent.begin(), sent.end(), [](const std::string& r) { return r.starts_with("/feedback.php"); });
  ASSERT_NE(request, sent.end());
  EXPECT_EQ(request->find("films"), std::string::npos);  // the text travels in a header
  EXPECT_NE(request->find("viewer%40example.org"), std::string::npos) << *request;
  ui.KeyUp(platform::VK_F2);  // the acknowledgement's key
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);

  // Help: a theme's text scrolls line by line and stops at both ends.
  ui.KeyUp(platform::VK_F1);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kHelpThemesScreen));
  ASSERT_EQ(ui.Screens().Current()->ItemCount(), static_cast<int>(doc.helpThemes.size()) + 1);
  SelectRow(ui, 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_TRUE(ui.RunUntilScreen(ui::kHelpTextScreen));
  auto& help = dynamic_cast<ui::screens::HelpTextScreen&>(*ui.Screens().Current());
  ASSERT_GT(help.LineCount(), 8);
  ui.Press(platform::VK_UP);
  EXPECT_EQ(help.FirstLine(), 0);
  ui.Press(platform::VK_DOWN);
  EXPECT_EQ(help.FirstLine(), 1);
  for (int i = 0; i < help.LineCount() + 2; ++i) ui.Press(platform::VK_DOWN);
  EXPECT_EQ(help.FirstLine(), help.LineCount() - 1);
  for (int i = 0; i < help.LineCount() + 2; ++i) ui.Press(platform::VK_UP);
  EXPECT_EQ(help.FirstLine(), 0);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kHelpThemesScreen);

  // The last row writes to the service and comes back here.
  SelectRow(ui, ui.Screens().Current()->ItemCount() - 1);
  ui.Press(platform::VK_RETURN);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kFeedbackScreen);
  EXPECT_EQ(feedback.ReturnScreen(), ui::kHelpThemesScreen);
  ui.KeyUp(platform::VK_F2);
  ASSERT_EQ(ui.Screens().CurrentId(), ui::kHelpThemesScreen);
  ui.KeyUp(platform::VK_F2);
  EXPECT_EQ(ui.Screens().CurrentId(), ui::kMainMenuScreen);
}

}  // namespace
}  // namespace kestrova::test
