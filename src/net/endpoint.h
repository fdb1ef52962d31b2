// The steps every API endpoint shares: refresh its list, fetch the request
// with ApiGet, load the answer file as XML, turn a server error element into
// the result, find the endpoint's root element and let the endpoint read
// it, and delete the answer file on every way out. An endpoint only adds
// its request text and its reading of the root element.
#pragma once

#include <functional>
#include <string>

#include "model/request_result.h"
#include "net/api_context.h"
#include "net/xml_answer.h"

namespace kestrova::net {

// The text shown when a request had no usable answer (localised string 24).
inline constexpr int kGenericFailureTextId = 24;

// A fresh result: ok 0, secondary 0, error id 0, the generic failure text.
model::RequestResultPtr NewRequestResult();

struct EndpointCall {
  // Frees the records of the list the answer refills; may be empty.
  std::function<void()> refreshList;
  // The request text: script name and formatted query.
  std::wstring request;
  // Header lines sent with the request; usually none.
  std::wstring extraHeaders;
  // The top-level element of a good answer.
  const char* rootElement = "";
  // Reads the root element into records, appending each record to its list
  // as soon as it is complete, and sets ok as the endpoint defines it.
  std::function<void(const XmlElement& root, model::RequestResult& result)> readRoot;
};

// Runs the call and returns its result: ok 0 with the generic text when the
// fetch fails, the answer is not XML or its root element is missing; ok 0
// with the server's text and id for an error element; otherwise as
// readRoot set it. The answer file is always deleted.
model::RequestResultPtr RunEndpoint(const ApiContext& api, const EndpointCall& call);

}  // namespace kestrova::net
