#include "net/endpoint.h"

#include "app/kestrova_doc.h"
#include "app/string_table.h"
#include "net/answer_file.h"
#include "net/answer_reading.h"
#include "net/api_get.h"

namespace kestrova::net {

RequestResultPtr NewRequestResult() {
  auto result = std::make_unique<RequestResult>();
  result->message = app::Strings().Get(kGenericFailureTextId);
  return result;
}

RequestResultPtr RunEndpoint(app::CKestrovaDoc& document, const EndpointCall& call) {
  if (call.refreshList) call.refreshList();
  RequestResultPtr result = NewRequestResult();

  AnswerFile answer;
  if (!ApiGet(document, call.request, answer.Target(), call.extraHeaders)) return result;

  XmlDocument xml(answer.Path());
  if (!xml.LoadFile()) return result;
  if (CheckServerError(xml, *result)) return result;
  const XmlElement root = xml.FirstChildElement(call.rootElement);
  if (root && call.readRoot) call.readRoot(root, *result);
  return result;
}

}  // namespace kestrova::net
