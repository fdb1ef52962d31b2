#include "net/query_keys.h"

#include "net/api_context.h"
#include "platform/http.h"
#include "platform/utf8.h"
#include "resources/string_table.h"

namespace kestrova::net {

CommonQueryValues CommonQuery(const ApiContext& api) {
  CommonQueryValues values;
  values.userId = api.data.userId;
  values.key = QueryValue(api.data.sessionKey);
  values.affiliateId = api.data.settings.affiliateId;
  values.languageId = resources::StringTable::ServerLanguageId(api.data.settings.languageId);
  return values;
}

std::wstring QueryValue(std::wstring_view text) {
  // The encoded text is plain ASCII, so widening it byte by byte is exact.
  const std::string encoded = platform::PercentEncode(platform::EncodeUtf8(text));
  return std::wstring(encoded.begin(), encoded.end());
}

}  // namespace kestrova::net
