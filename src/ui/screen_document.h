// What the screens may ask of the document: its data state, to read what
// the answers filled in and to keep the user's choices. The document type
// itself stays out of sight of the screens.
#pragma once

#include "model/data_state.h"

namespace kestrova::ui {

class ScreenDocument {
 public:
  virtual model::DataState& Data() = 0;

 protected:
  ScreenDocument() = default;
  ScreenDocument(const ScreenDocument&) = default;
  ScreenDocument& operator=(const ScreenDocument&) = default;
  ~ScreenDocument() = default;
};

}  // namespace kestrova::ui
