#include "app/kestrova_view.h"

#include "app/kestrova_doc.h"

namespace kestrova::app {

CKestrovaView::CKestrovaView(platform::UiLoop& loop, platform::Window& window, CKestrovaDoc& document)
    : loop_(loop), window_(window), document_(document) {
  window_.SetView(this);
}

CKestrovaView::~CKestrovaView() {
  window_.SetView(nullptr);
  if (document_.View() == this) document_.SetView(nullptr);
  loop_.ForgetTarget(this);
}

void CKestrovaView::OnInitialUpdate() {
  document_.SetView(this);
  client_ = window_.ClientRect();
  backBuffer_ = platform::CreateRgb565Surface(client_.Width(), client_.Height());
}

void CKestrovaView::OnDraw() {
  window_.BeginPaint();
  if (!backBuffer_) return;
  const Uint32 background = SDL_MapRGB(backBuffer_->format, (kBackgroundRgb >> 16U) & 0xFFU,
                                       (kBackgroundRgb >> 8U) & 0xFFU, kBackgroundRgb & 0xFFU);
  SDL_FillRect(backBuffer_.get(), nullptr, background);
  window_.Present(backBuffer_.get());
  ++paintCount_;
}

platform::LRESULT CKestrovaView::WindowProc(std::uint32_t message, platform::WPARAM, platform::LPARAM) {
  switch (message) {
    case platform::WM_PAINT:
      OnDraw();
      return 0;
    case platform::WM_ERASEBKGND:
      return OnEraseBkgnd() ? 1 : 0;
    default:
      return 0;
  }
}

}  // namespace kestrova::app
