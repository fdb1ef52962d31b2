// The request step the billing endpoints share: fetch the request text with
// ApiGet, load the answer as XML and turn a server error element into the
// result. Unlike the catalogue endpoints, several billing endpoints succeed
// on any parsed answer without an error, whatever its root element, so the
// reading step gets the whole api.data.
#pragma once

#include <functional>
#include <string>

#include "model/request_result.h"
#include "net/api_context.h"
#include "net/xml_answer.h"

namespace kestrova::billing {

struct BillingCall {
  std::wstring request;       // script name and formatted query
  std::wstring extraHeaders;  // header lines sent with the request; usually none
  // Runs only for an answer that is XML without an error element.
  std::function<void(const net::XmlDocument& answer, model::RequestResult& result)> readAnswer;
};

// Returns the result: ok 0 with the generic text when the fetch fails or the
// answer is not XML, ok 0 with the server's text and id for an error
// element, else as readAnswer set it. The answer file is always deleted.
model::RequestResultPtr RunBillingCall(const net::ApiContext& api, const BillingCall& call);

}  // namespace kestrova::billing
