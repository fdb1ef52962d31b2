#include "platform/input_panel.h"

#include <SDL.h>

namespace kestrova::platform {

void ShowInputPanel(bool show) {
  if (show) SDL_StartTextInput();
  else SDL_StopTextInput();
}

bool InputPanelActive() { return SDL_IsTextInputActive() == SDL_TRUE; }

}  // namespace kestrova::platform
