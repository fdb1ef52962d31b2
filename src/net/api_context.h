// What an endpoint works with: the data state it reads its query values
// from and fills with the answer, and the network context its transfers
// run in. A small handle of two references, passed to every endpoint.
#pragma once

#include "model/data_state.h"
#include "net/api_context.h"
#include "net/network_context.h"

namespace kestrova::net {

struct ApiContext {
  model::DataState& data;
  NetworkContext& network;
};

}  // namespace kestrova::net
