// The request slot: one submitted command with everything its worker needs.
// Each worker runs on its own copy, taken when the command is submitted.
#pragma once

#include <cstdint>

#include "model/command_ids.h"
#include "ui/screen_document.h"

namespace kestrova::ui {
class Screen;
}

namespace kestrova::app {

struct NetworkTask {
  int command = 0;
  const ui::Screen* screen = nullptr;  // the submitting screen; only compared, never used
  int screenKind = -1;                 // the submitting screen's id
  bool waiter = false;
  std::int64_t submittedAt = 0;
  ui::CommandParameters parameters;
  // The stream set-up's channel or video id, taken from the parameters
  // when the command is submitted: by the time the worker runs, the
  // catalogue may have been reloaded and the record freed.
  int streamRecordId = 0;
};

}  // namespace kestrova::app
