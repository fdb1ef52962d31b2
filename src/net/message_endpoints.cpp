#include "net/message_endpoints.h"

#include <algorithm>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kMessagesFormat =
    L"messenger.php?codepage=utf8&user_id=%d&key=%s&affiliate_id=%d&page=%d&client=wm&lng_id=%d&dist_number=1";
constexpr const wchar_t* kHelpThemesFormat =
    L"help_themes.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kHelpTextsFormat =
    L"help_texts.php?user_id=%d&key=%s&affiliate_id=%d&theme_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr int kFirstMessagePage = 1;
constexpr int kPageZero = 0;

model::RequestResultPtr Succeeded() {
  model::RequestResultPtr result = NewRequestResult();
  result->ok = true;
  return result;
}

void ReadMessages(const XmlElement& root, const ApiContext& api) {
  api.data.messageTotal = AttributeNumber(root, "total");
  for (XmlElement child = root.FirstChildElement("message"); child; child = child.NextSiblingElement("message")) {
    auto record = std::make_unique<model::MessageRecord>();
    record->id = AttributeNumber(child, "id");
    record->header = AttributeText(child, "header");
    record->text = AttributeText(child, "text");
    api.data.messages.push_back(std::move(record));
  }
  ++api.data.messagePage;
}

}  // namespace

model::RequestResultPtr Messages(const ApiContext& api, int restart, int pageZero) {
  if (restart != 0 || api.data.messagePage == kFirstMessagePage) {
    api.data.messages.clear();
    api.data.messagePage = kFirstMessagePage;
    api.data.messageTotal = 0;
  }
  const bool shortOfTotal = api.data.messages.size() < static_cast<std::size_t>(std::max(api.data.messageTotal, 0));
  if (!api.data.messages.empty() && !shortOfTotal) return Succeeded();

  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kMessagesFormat, {common.userId, common.key, common.affiliateId,
                                                 pageZero != 0 ? kPageZero : api.data.messagePage, common.languageId});
  call.rootElement = "messenger";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadMessages(root, api);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr HelpThemes(const ApiContext& api) {
  if (!api.data.helpThemes.empty()) return Succeeded();
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kHelpThemesFormat, {common.userId, common.key, common.affiliateId, common.languageId});
  call.rootElement = "help_themes";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    for (XmlElement child = root.FirstChildElement("theme"); child; child = child.NextSiblingElement("theme")) {
      auto record = std::make_unique<model::HelpThemeRecord>();
      record->id = AttributeNumber(child, "id");
      record->name = AttributeText(child, "name");
      api.data.helpThemes.push_back(std::move(record));
    }
    result.ok = !api.data.helpThemes.empty();
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr HelpTexts(const ApiContext& api, model::HelpThemeRecord* theme) {
  if (theme == nullptr) return NewRequestResult();
  if (!theme->texts.empty()) return Succeeded();
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request =
      FormatRequest(kHelpTextsFormat, {common.userId, common.key, common.affiliateId, theme->id, common.languageId});
  call.rootElement = "help_texts";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    for (XmlElement child = root.FirstChildElement("text"); child; child = child.NextSiblingElement("text")) {
      auto record = std::make_unique<model::HelpTextRecord>();
      record->id = AttributeNumber(child, "id");
      record->subject = AttributeText(child, "subject");
      record->text = AttributeText(child, "text");
      theme->texts.push_back(std::move(record));
    }
    result.ok = !theme->texts.empty();
  };
  return RunEndpoint(api, call);
}

}  // namespace kestrova::net
