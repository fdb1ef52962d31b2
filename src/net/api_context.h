// What an endpoint works with: the data state it reads its query values
// from and fills with the answer, the network context its transfers run in
// and, for a request the user is waiting for, that request's cancel flag.
// A small handle passed to every endpoint.
#pragma once

#include <atomic>

#include "model/data_state.h"
#include "net/network_context.h"

namespace kestrova::net {

struct ApiContext {
  model::DataState& data;
  NetworkContext& network;
  // Raised by the user-interface thread when the user stops waiting (Back);
  // every transfer of the request then ends at its next chunk. Null for
  // requests nobody waits for. Owned by the request, which outlives the call.
  const std::atomic<int>* requestCancel = nullptr;

  // The scope the request's transfers run in.
  TransferScope Transfers() const { return {network, requestCancel}; }
};

}  // namespace kestrova::net
