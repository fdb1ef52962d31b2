#include "billing/billing_request.h"

#include "net/answer_file.h"
#include "net/answer_reading.h"
#include "net/api_get.h"
#include "net/endpoint.h"

namespace kestrova::billing {

model::RequestResultPtr RunBillingCall(const net::ApiContext& api, const BillingCall& call) {
  model::RequestResultPtr result = net::NewRequestResult();
  net::AnswerFile answer;
  if (!net::ApiGet(api, call.request, answer.Target(), call.extraHeaders)) return result;
  net::XmlDocument xml(answer.Path());
  if (!xml.LoadFile()) return result;
  if (net::CheckServerError(xml, *result)) return result;
  if (call.readAnswer) call.readAnswer(xml, *result);
  return result;
}

}  // namespace kestrova::billing
