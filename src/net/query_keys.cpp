#include "net/query_keys.h"

#include "app/kestrova_doc.h"
#include "app/string_table.h"
#include "platform/http.h"
#include "platform/utf8.h"

namespace kestrova::net {

CommonQueryValues CommonQuery(const app::CKestrovaDoc& document) {
  CommonQueryValues values;
  values.userId = document.userId;
  values.key = QueryValue(document.sessionKey);
  values.affiliateId = document.settings.affiliateId;
  values.languageId = app::StringTable::ServerLanguageId(document.settings.languageId);
  return values;
}

std::wstring QueryValue(std::wstring_view text) {
  // The encoded text is plain ASCII, so widening it byte by byte is exact.
  const std::string encoded = platform::PercentEncode(platform::EncodeUtf8(text));
  return std::wstring(encoded.begin(), encoded.end());
}

}  // namespace kestrova::net
