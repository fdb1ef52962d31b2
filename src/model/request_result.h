// The result record of every endpoint: created on the heap by the endpoint,
// carried to the screen inside the worker's hand-over to the view, owned by
// whoever receives it last.
#pragma once

#include <memory>
#include <string>

namespace kestrova::model {

struct RequestResult {
  bool ok = false;     // the endpoint achieved its purpose
  int secondary = 0;   // set only by the purchase-options endpoint
  std::wstring message;  // starts as the generic connection-failure text (string id 24)
  int errorId = 0;     // the id attribute of a server error element, else 0
};

using RequestResultPtr = std::unique_ptr<RequestResult>;

}  // namespace kestrova::model
