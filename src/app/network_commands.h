// The work of each network command: its endpoint, or its chain of
// endpoints. A chain runs its steps in order, releases each result that
// succeeded and stops at the first that is missing or failed; the result
// delivered is the last one obtained.
#pragma once

#include "app/network_task.h"
#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::app {

// Runs the command of the task (any command but the stream set-up). A
// command id outside the table, or a parameter out of range, gives none.
model::RequestResultPtr RunNetworkCommand(const NetworkTask& task, const net::ApiContext& api);

}  // namespace kestrova::app
