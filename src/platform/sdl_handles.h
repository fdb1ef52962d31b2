// Owners for SDL's C handles.
#pragma once

#include <SDL.h>

#include <memory>

namespace kestrova::platform {

struct SdlDeleter {
  void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
  void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
  void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
  void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};

using WindowPtr = std::unique_ptr<SDL_Window, SdlDeleter>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlDeleter>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlDeleter>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlDeleter>;
using RwPtr = std::unique_ptr<SDL_RWops, SdlDeleter>;

// The handset's screen format: 16-bit RGB565.
inline SurfacePtr CreateRgb565Surface(int width, int height) {
  return SurfacePtr(SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565));
}

// SDL itself, initialised for the lifetime of this object.
class SdlLibrary {
 public:
  explicit SdlLibrary(Uint32 subsystems) : ok_(SDL_Init(subsystems) == 0) {}
  ~SdlLibrary() { SDL_Quit(); }
  SdlLibrary(const SdlLibrary&) = delete;
  SdlLibrary& operator=(const SdlLibrary&) = delete;

  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace kestrova::platform
