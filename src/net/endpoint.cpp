#include "net/endpoint.h"

#include "net/answer_file.h"
#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/api_get.h"
#include "resources/string_table.h"

namespace kestrova::net {

model::RequestResultPtr NewRequestResult() {
  auto result = std::make_unique<model::RequestResult>();
  result->message = resources::Strings().Get(kGenericFailureTextId);
  return result;
}

model::RequestResultPtr RunEndpoint(const ApiContext& api, const EndpointCall& call) {
  if (call.refreshList) call.refreshList();
  model::RequestResultPtr result = NewRequestResult();

  AnswerFile answer;
  if (!ApiGet(api, call.request, answer.Target(), call.extraHeaders)) return result;

  XmlDocument xml(answer.Path());
  if (!xml.LoadFile()) return result;
  if (CheckServerError(xml, *result)) return result;
  const XmlElement root = xml.FirstChildElement(call.rootElement);
  if (root && call.readRoot) call.readRoot(root, *result);
  return result;
}

}  // namespace kestrova::net
