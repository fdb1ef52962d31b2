#include "billing/billing_endpoints.h"

#include <memory>
#include <string>

#include "billing/billing_request.h"
#include "model/catalogue_records.h"
#include "model/programme_records.h"
#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"

namespace kestrova::billing {

namespace {

using net::CommonQuery;
using net::FormatRequest;
using net::QueryValue;
using model::RequestResult;
using net::XmlDocument;
using net::XmlElement;

constexpr const wchar_t* kShortNumbersFormat =
    L"shortnumbers.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&provider_id=%d&client=wm"
    L"&dist_number=1";
constexpr const wchar_t* kBillFormat =
    L"bill.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=1&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kSubscribeFormat =
    L"subscribe_channel.php?id=%d&user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm"
    L"&dist_number=1";
constexpr const wchar_t* kBuyInfoFormat =
    L"buy_info.php?user_id=%d&key=%s&affiliate_id=%d&video_id=%d&type=%s&lng_id=%d&codepage=utf8&client=wm"
    L"&dist_number=1";
constexpr const wchar_t* kFeedbackFormat =
    L"feedback.php?user_id=%d&key=%s&affiliate_id=%d&email=%s&phone=%s&lng_id=%d&codepage=utf8&client=wm"
    L"&dist_number=1";
constexpr const wchar_t* kGiftsFormat =
    L"gifts.php?code=%s&user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kFeedbackHeaderFormat = L"Text: %s\r\n";
constexpr const wchar_t* kPlayType = L"pl";
constexpr const wchar_t* kDownloadType = L"dwn";

// The folder with the id in the video tree below (and including) `folder`.
model::ProgrammeElement* FindVideoFolder(model::ProgrammeElement& folder, int id) {
  if (folder.id == id) return &folder;
  for (const auto& child : folder.children) {
    if (model::ProgrammeElement* found = FindVideoFolder(*child, id)) return found;
  }
  return nullptr;
}

// The video's own values and purchase options, as a new child of `folder`.
std::unique_ptr<model::ProgrammeElement> CopyVideo(const model::ProgrammeElement& video, model::ProgrammeElement& folder) {
  auto copy = std::make_unique<model::ProgrammeElement>();
  copy->parentFolder = &folder;
  copy->id = video.id;
  copy->type = video.type;
  copy->name = video.name;
  copy->startText = video.startText;
  copy->previewLink = video.previewLink;
  copy->startTime = video.startTime;
  copy->lengthText = video.lengthText;
  copy->playPrice = video.playPrice;
  copy->playBought = video.playBought;
  copy->downloadPrice = video.downloadPrice;
  copy->downloadBought = video.downloadBought;
  copy->favorite = video.favorite;
  copy->infoLoaded = video.infoLoaded;
  copy->downloadInfoLoaded = video.downloadInfoLoaded;
  for (const auto& quality : video.purchaseQualities) {
    copy->purchaseQualities.push_back(std::make_unique<model::PurchaseQualityRecord>(*quality));
  }
  return copy;
}

// A first purchase files the video in the bought-videos folder, as the
// server now lists it there: appended while the folder's last loaded page
// has room, and counted in its total either way.
void FileInPurchasedVideos(const net::ApiContext& api, const model::ProgrammeElement& video) {
  model::ProgrammeElement* folder = FindVideoFolder(*api.data.videoRoot, kPurchasedVideosFolderId);
  if (folder == nullptr || folder->children.empty()) return;
  if (folder->children.size() % kPurchasedVideosPageSize != 0) folder->children.push_back(CopyVideo(video, *folder));
  ++folder->total;
}

void ReadPurchaseQualities(const XmlElement& root, model::ProgrammeElement& video) {
  for (XmlElement quality = root.FirstChildElement("quality"); quality;
       quality = quality.NextSiblingElement("quality")) {
    auto record = std::make_unique<model::PurchaseQualityRecord>();
    record->id = net::AttributeNumber(quality, "id");
    record->name = net::AttributeText(quality, "name");
    record->size = net::AttributeText(quality, "size");
    video.purchaseQualities.push_back(std::move(record));
  }
}

}  // namespace

std::wstring FeedbackHeader(std::wstring_view message) {
  std::wstring line(message);
  for (wchar_t& c : line) {
    if (c == L'\r' || c == L'\n' || c == L'\0') c = L' ';
  }
  return FormatRequest(kFeedbackHeaderFormat, {line});
}

model::RequestResultPtr ShortNumbers(const net::ApiContext& api) {
  api.data.shortNumbers.clear();
  const auto query = CommonQuery(api);
  BillingCall call;
  call.request = FormatRequest(kShortNumbersFormat, {query.userId, query.key, query.affiliateId, query.languageId,
                                                     api.data.settings.operatorId});
  call.readAnswer = [&api](const XmlDocument& answer, model::RequestResult& result) {
    const XmlElement root = answer.FirstChildElement("shortnumbers");
    if (!root) return;
    for (XmlElement number = root.FirstChildElement("shortnumber"); number;
         number = number.NextSiblingElement("shortnumber")) {
      auto record = std::make_unique<model::ShortNumberRecord>();
      record->price = net::AttributeText(number, "price");
      record->credit = net::AttributeNumber(number, "credit");
      record->number = net::AttributeNumber(number, "number");
      record->prefix = net::AttributeText(number, "prefix");
      api.data.shortNumbers.push_back(std::move(record));
    }
    result.ok = true;
  };
  return RunBillingCall(api, call);
}

model::RequestResultPtr Bill(const net::ApiContext& api) {
  const auto query = CommonQuery(api);
  BillingCall call;
  call.request = FormatRequest(kBillFormat, {query.userId, query.key, query.affiliateId});
  call.readAnswer = [&api](const XmlDocument& answer, model::RequestResult& result) {
    result.ok = true;
    if (const XmlElement root = answer.FirstChildElement("bill")) {
      api.data.accountBalance = net::AttributeNumber(root, "account");
    }
  };
  return RunBillingCall(api, call);
}

model::RequestResultPtr SubscribeChannel(const net::ApiContext& api, model::CatalogueItem* channel) {
  if (channel == nullptr) return net::NewRequestResult();
  const auto query = CommonQuery(api);
  BillingCall call;
  call.request = FormatRequest(kSubscribeFormat,
                               {channel->id, query.userId, query.key, query.affiliateId, query.languageId});
  call.readAnswer = [channel](const XmlDocument& answer, model::RequestResult& result) {
    result.ok = true;
    const XmlElement root = answer.FirstChildElement("subscribe");
    if (!root) return;
    result.message = net::AttributeText(root, "message");
    if (const XmlElement entry = root.FirstChildElement("channel")) {
      channel->subscribePeriod = net::AttributeNumber(entry, "subscribe_period");
      channel->subscribeBalance = net::AttributeNumber(entry, "subscribe_balance");
      channel->price = net::AttributeText(entry, "price");
    }
  };
  return RunBillingCall(api, call);
}

model::RequestResultPtr BuyInfo(const net::ApiContext& api, model::ProgrammeElement* video, BuyType type) {
  model::RequestResultPtr skipped = net::NewRequestResult();
  if (video == nullptr) return skipped;
  const bool download = type == BuyType::kDownload;
  if (video->infoLoaded != 0 && !download) return skipped;
  if (video->downloadInfoLoaded != 0 && download && !video->purchaseQualities.empty()) {
    // The options are at hand: the caller needs no balance request either.
    skipped->ok = true;
    skipped->secondary = 1;
    return skipped;
  }
  const bool firstLoad = video->infoLoaded == 0 && video->downloadInfoLoaded == 0;

  const auto query = CommonQuery(api);
  BillingCall call;
  call.request = FormatRequest(kBuyInfoFormat, {query.userId, query.key, query.affiliateId, video->id,
                                                download ? kDownloadType : kPlayType, query.languageId});
  call.readAnswer = [video, download](const XmlDocument& answer, model::RequestResult& result) {
    if (download) video->downloadInfoLoaded = 1;
    video->infoLoaded = 1;
    const XmlElement root = answer.FirstChildElement("buy_info");
    if (!root) return;
    ReadPurchaseQualities(root, *video);
    result.ok = true;
  };
  model::RequestResultPtr result = RunBillingCall(api, call);
  if (result->ok && firstLoad) FileInPurchasedVideos(api, *video);
  return result;
}

model::RequestResultPtr Feedback(const net::ApiContext& api, std::wstring_view phone, std::wstring_view email,
                               std::wstring_view message) {
  const auto query = CommonQuery(api);
  BillingCall call;
  call.request = FormatRequest(kFeedbackFormat, {query.userId, query.key, query.affiliateId, QueryValue(email),
                                                 QueryValue(phone), query.languageId});
  call.extraHeaders = FeedbackHeader(message);
  call.readAnswer = [&api](const XmlDocument& answer, model::RequestResult& result) {
    const XmlElement root = answer.FirstChildElement("feedback");
    if (!root) return;
    api.data.feedbackMessage = net::AttributeText(root, "message");
    result.ok = true;
  };
  return RunBillingCall(api, call);
}

model::RequestResultPtr Gifts(const net::ApiContext& api, std::wstring_view code) {
  const auto query = CommonQuery(api);
  BillingCall call;
  call.request =
      FormatRequest(kGiftsFormat, {QueryValue(code), query.userId, query.key, query.affiliateId, query.languageId});
  call.readAnswer = [](const XmlDocument& answer, model::RequestResult& result) {
    const XmlElement root = answer.FirstChildElement("activated");
    result.message = root ? net::AttributeText(root, "message") : std::wstring();
    result.ok = true;
  };
  return RunBillingCall(api, call);
}

}  // namespace kestrova::billing
