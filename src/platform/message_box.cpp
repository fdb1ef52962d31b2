#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>

namespace kestrova::platform {

void ShowMessageBox(const std::string& title, const std::string& text) {
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), nullptr) != 0) {
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
  }
}

}  // namespace kestrova::platform
