#include "billing_api.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "access.h"
#include "answer_parts.h"
#include "xml_writer.h"

namespace kestrova::server {
namespace {

constexpr std::size_t kMaxFeedbackText = 4000;
constexpr std::size_t kMaxContactField = 256;
constexpr long long kSecondsPerDay = 24 * 3600;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;
constexpr double kBitsPerByte = 8.0;
constexpr double kBitsPerKilobit = 1000.0;

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string FileSize(int kbps, int seconds) {
  const double megabytes = kbps * kBitsPerKilobit * seconds / kBitsPerByte / kBytesPerMegabyte;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MB", megabytes);
  return text;
}

int DaysLeft(std::time_t until, std::time_t now) {
  return static_cast<int>((until - now + kSecondsPerDay - 1) / kSecondsPerDay);
}

}  // namespace

void BillingApi::Register(ApiRouter& router) {
  router.Add("shortnumbers.php", [this](const ApiRequest& r) { return ShortNumbers(r); });
  router.Add("bill.php", [this](const ApiRequest& r) { return Bill(r); });
  router.Add("subscribe_channel.php", [this](const ApiRequest& r) { return Subscribe(r); });
  router.Add("buy_info.php", [this](const ApiRequest& r) { return BuyInfo(r); });
  router.Add("feedback.php", [this](const ApiRequest& r) { return Feedback(r); });
  router.Add("gifts.php", [this](const ApiRequest& r) { return Gifts(r); });
  router.Add("sms_sent.php", [this](const ApiRequest& r) { return SmsSent(r); });
}

void BillingApi::ReadSpool() {
  if (context_.spool != nullptr) context_.spool->Scan();
}

std::string BillingApi::ShortNumbers(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int operator_id = request.Int("provider_id");
  XmlElement root("shortnumbers");
  AddShortNumbers(root, PaymentCountry(context_.catalogue, operator_id, account.country_code));
  return root.Document();
}

std::string BillingApi::Bill(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  ReadSpool();
  XmlElement root("bill");
  root.Attr("account", context_.wallet.Balance(account.id));
  return root.Document();
}

std::string BillingApi::Subscribe(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int id = request.Int("id");
  const std::time_t now = std::time(nullptr);
  const Language lang = request.Lang();
  const auto& catalogue = context_.catalogue;

  // What is sold: the channel on its own, or the package it belongs to (the
  // id may also name the package itself).
  int item_id = 0;
  int price = 0;
  int days = 0;
  std::string name;
  const ChannelFolder* package = catalogue.FindFolder(id);
  if (const Channel* channel = catalogue.FindChannel(id)) {
    package = catalogue.FindFolder(channel->folder);
    if (package == nullptr || !package->paid) {
      package = nullptr;
      if (!channel->can_buy) {
        XmlElement root("subscribe");
        root.Attr("message", Text(TextId::kFreeChannel, lang, {channel->name.In(lang)}));
        root.Add("channel").Attr("subscribe_period", 0).Attr("subscribe_balance", context_.wallet.Balance(account.id))
            .Attr("price", "");
        return root.Document();
      }
      item_id = channel->id;
      price = channel->price;
      days = channel->period_days;
      name = channel->name.In(lang);
    }
  } else if (package == nullptr || !package->paid) {
    request.Fail(kErrorUnknownId, TextId::kUnknownId, {"id", std::to_string(id)});
  }
  if (package != nullptr) {
    item_id = package->id;
    price = package->price;
    days = package->period_days;
    name = package->name.In(lang);
  }

  const Charge charge = context_.wallet.Subscribe(account.id, item_id, price, days, now);
  if (charge.outcome == ChargeOutcome::kInsufficientBalance) {
    request.Fail(kErrorInsufficientBalance, TextId::kInsufficientBalance,
                 {std::to_string(price), std::to_string(charge.balance)});
  }
  const int left = DaysLeft(charge.until, now);
  XmlElement root("subscribe");
  root.Attr("message", charge.outcome == ChargeOutcome::kAlreadyOwned
                           ? Text(TextId::kAlreadySubscribed, lang, {name, std::to_string(left)})
                           : Text(TextId::kSubscribed, lang, {name, std::to_string(left)}));
  root.Add("channel").Attr("subscribe_period", left).Attr("subscribe_balance", charge.balance).Attr(
      "price", std::to_string(price));
  return root.Document();
}

std::string BillingApi::BuyInfo(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int video_id = request.Int("video_id");
  const std::string type = request.Text("type");
  if (type != "pl" && type != "dwn") request.Fail(kErrorBadParameter, TextId::kBadParameter, {"type"});
  const Video* video = context_.catalogue.FindVideo(video_id);
  if (video == nullptr) {
    // A programme entry that was never offered on demand.
    if (context_.catalogue.FindShow(video_id) != nullptr) request.Fail(kErrorNotForSale, TextId::kNotForSale);
    request.Fail(kErrorUnknownId, TextId::kUnknownId, {"video_id", std::to_string(video_id)});
  }
  const bool play = type == "pl";
  const int price = play ? video->play_price : video->download_price;
  const PurchaseKind kind = play ? PurchaseKind::kPlay : PurchaseKind::kDownload;
  const Charge charge = context_.wallet.BuyVideo(account.id, video_id, kind, price, std::time(nullptr));
  if (charge.outcome == ChargeOutcome::kInsufficientBalance) {
    request.Fail(kErrorInsufficientBalance, TextId::kInsufficientBalance,
                 {std::to_string(price), std::to_string(charge.balance)});
  }
  XmlElement root("buy_info");
  for (const auto& quality : play ? context_.catalogue.qualities : context_.catalogue.download_formats) {
    if (quality.kbps <= 0) continue;  // "automatic" is no file of its own
    root.Add("quality").Attr("id", quality.id).Attr("name", quality.name.In(request.Lang())).Attr(
        "size", FileSize(quality.kbps, video->length_seconds));
  }
  return root.Document();
}

std::string BillingApi::Feedback(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const std::string email = request.Text("email");
  const std::string phone = request.Text("phone");
  // The message itself travels in the "Text" request header.
  const std::string text(Trim(request.Header("Text")));
  if (text.empty()) request.Fail(kErrorMissingParameter, TextId::kMissingParameter, {"Text"});
  if (text.size() > kMaxFeedbackText) request.Fail(kErrorTooLong, TextId::kTooLong, {"Text"});
  if (email.size() > kMaxContactField) request.Fail(kErrorTooLong, TextId::kTooLong, {"email"});
  if (phone.size() > kMaxContactField) request.Fail(kErrorTooLong, TextId::kTooLong, {"phone"});
  context_.inbox.AddFeedback(account.id, email, phone, text, std::time(nullptr));
  XmlElement root("feedback");
  root.Attr("message", Text(TextId::kFeedbackThanks, request.Lang()));
  return root.Document();
}

std::string BillingApi::Gifts(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const std::string code(Trim(request.Text("code")));
  const GiftCode* gift = context_.catalogue.FindGift(code);
  if (gift == nullptr) request.Fail(kErrorGiftUnknown, TextId::kGiftUnknown);
  if (context_.wallet.ActivateGift(account.id, *gift, std::time(nullptr)) != GiftOutcome::kActivated) {
    request.Fail(kErrorGiftUsed, TextId::kGiftUsed);
  }
  XmlElement root("activated");
  root.Attr("message", Text(TextId::kGiftActivated, request.Lang(), {std::to_string(gift->credit)}));
  return root.Document();
}

std::string BillingApi::SmsSent(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const std::string number = request.Text("short_number");
  const int status = request.Int("status");
  const std::string text = request.TextOr("text", "");
  // The report is filed before the spool is read: the SMS it announces, sent
  // just before, then finds it as the earliest report after its sending
  // (docs/sms-pairing.md). A refused report is answered all the same; the
  // client does not read the answer.
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  context_.sms_payments.Reported(account.id, number, text, status,
                                 std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  ReadSpool();
  XmlElement root("sms_sent");
  root.Attr("status", status);
  return root.Document();
}

}  // namespace kestrova::server
