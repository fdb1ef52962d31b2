// The input panel: the system's text input (an on-screen keyboard where the
// device has one), started and stopped on request.
#pragma once

namespace kestrova::platform {

void ShowInputPanel(bool show);
bool InputPanelActive();

}  // namespace kestrova::platform
