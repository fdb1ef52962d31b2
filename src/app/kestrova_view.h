// The one view the user sees: it paints the whole screen through an
// off-screen RGB565 buffer and receives keys, taps, timers and the network
// notifications.
#pragma once

#include "platform/messages.h"
#include "platform/sdl_handles.h"
#include "platform/ui_loop.h"
#include "platform/window.h"

namespace kestrova::app {

class CKestrovaDoc;

class CKestrovaView final : public platform::MessageTarget {
 public:
  // The background of every screen that has no colour of its own.
  static constexpr std::uint32_t kBackgroundRgb = 0x666666;

  CKestrovaView(platform::UiLoop& loop, platform::Window& window, CKestrovaDoc& document);
  ~CKestrovaView();
  CKestrovaView(const CKestrovaView&) = delete;
  CKestrovaView& operator=(const CKestrovaView&) = delete;

  void OnInitialUpdate();
  void OnDraw();
  bool OnEraseBkgnd() { return false; }

  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) override;

  CKestrovaDoc& Document() { return document_; }
  // The last painted picture, for tests and screenshots.
  SDL_Surface* BackBuffer() const { return backBuffer_.get(); }
  int PaintCount() const { return paintCount_; }

 private:
  platform::UiLoop& loop_;
  platform::Window& window_;
  CKestrovaDoc& document_;
  platform::Rect client_;
  platform::SurfacePtr backBuffer_;
  int paintCount_ = 0;
};

}  // namespace kestrova::app
