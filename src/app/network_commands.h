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
// command id outside the table, or a parameter out of range, gives none. The
// records the task's keys name are found when it runs; a record that is gone
// (freed by a reload since the submission) fails the command with the
// generic message, without a request.
model::RequestResultPtr RunNetworkCommand(const NetworkTask& task, const net::ApiContext& api);

// Whether the command touches the data state and so waits for its turn
// (DataTurns). Three do not: the preview picture and a logo fetched again
// go into the screen's own delivery, and the stream set-up keeps its
// measurements in the live-stream state, behind that state's own lock.
// Waiting for any of them would hold a user's command up behind a download.
bool UsesDataState(int command);

}  // namespace kestrova::app
