// The request slot: one submitted command with everything its worker needs.
// Each worker runs on its own copy, taken when the command is submitted.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "model/command_ids.h"
#include "ui/screen_document.h"

namespace kestrova::ui {
class Screen;
}

namespace kestrova::app {

// The cancel flag of one request. The user-interface thread raises it when
// the user presses Back while the waiting indicator is shown for the
// request; the request's transfers read it between chunks. Shared by the
// worker and the view, so neither outlives it.
using RequestCancel = std::shared_ptr<std::atomic<int>>;

struct NetworkTask {
  int command = 0;
  const ui::Screen* screen = nullptr;  // the submitting screen; only compared, never used
  int screenKind = -1;                 // the submitting screen's id
  bool waiter = false;
  std::int64_t submittedAt = 0;
  ui::CommandParameters parameters;  // values and keys only: the records may be gone when it runs
  // The command's turn with the data state (DataTurns); none for the
  // commands that do not touch it.
  std::optional<std::uint64_t> dataTurn;
  // Copies of the task share it.
  RequestCancel cancel = std::make_shared<std::atomic<int>>(0);
};

}  // namespace kestrova::app
