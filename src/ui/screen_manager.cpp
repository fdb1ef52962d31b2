#include "ui/screen_manager.h"

#include "ui/painter.h"
#include "ui/popup.h"
#include "ui/ticker.h"
#include "ui/view_host.h"

namespace kestrova::ui {

ScreenManager::ScreenManager() = default;

ScreenManager::~ScreenManager() {
  current_ = nullptr;
  for (auto& screen : screens_) screen.reset();
}

void ScreenManager::Initialise(Painter& painter, ScreenDocument* data, ViewHost& host) {
  painter_ = &painter;
  data_ = data;
  host_ = &host;
  backBuffer_ = platform::Bitmap(painter.ScreenWidth(), painter.ScreenHeight());
  needsRedraw_ = true;
}

Screen* ScreenManager::Install(std::unique_ptr<Screen> screen) {
  if (!screen || screen->Id() < 0 || screen->Id() >= kScreenCount) return nullptr;
  auto& slot = screens_[static_cast<std::size_t>(screen->Id())];
  if (slot.get() == current_) current_ = nullptr;
  slot = std::move(screen);
  slot->SetOwner(this);
  return slot.get();
}

Screen* ScreenManager::GetScreen(int id) const {
  if (id < 0 || id >= kScreenCount) return nullptr;
  return screens_[static_cast<std::size_t>(id)].get();
}

void ScreenManager::SetPopupShown(bool shown) {
  if (host_ != nullptr) host_->SetPopupShown(shown);
}

void ScreenManager::Start() {
  if (navigator_) navigator_->Start(*this);
}

void ScreenManager::Navigate(int target) {
  if (navigator_) navigator_->Navigate(*this, target);
}

void ScreenManager::ChangeScreen(int id, bool forceRedraw) {
  Screen* next = GetScreen(id);
  if (next == nullptr || (next == current_ && !forceRedraw)) return;
  Screen* old = current_;
  if (host_ != nullptr) {
    host_->ClearTickers();
    host_->HideEditBox();
  }
  // A pop-up belongs to its screen's visit: navigation ends it.
  if (old != nullptr && old != next && old->PopupShown()) old->ClosePopup();
  if (old != nullptr) old->OnCurrentChanged(false);
  current_ = next;
  SetPopupShown(next->PopupShown());
  next->OnCurrentChanged(true);
  needsRedraw_ = true;
}

bool ScreenManager::Pointer(int x, int y, int kind) {
  if (current_ == nullptr) return false;
  const bool handled = current_->OnPointer(x, y, kind);
  if (handled && current_ != nullptr) {
    current_->OnCurrentChanged(true);
    needsRedraw_ = true;
  }
  return handled;
}

bool ScreenManager::KeyUp(int key) {
  if (current_ == nullptr) return false;
  const bool handled = current_->OnKeyUp(key);
  if (handled) needsRedraw_ = true;
  return handled;
}

bool ScreenManager::KeyDown(int key) {
  if (current_ == nullptr) return false;
  const bool handled = current_->OnKeyDown(key);
  if (handled) {
    current_->OnCurrentChanged(true);
    needsRedraw_ = true;
    if (host_ != nullptr) host_->InvalidateAndUpdate();
  }
  return handled;
}

void ScreenManager::RequestDone(int command, model::RequestResultPtr result) {
  if (current_ != nullptr) current_->OnRequestDone(command, std::move(result));
}

void ScreenManager::Paint(platform::Canvas& target) {
  if (activationPending_ && current_ != nullptr) current_->OnCurrentChanged(true);
  if (needsRedraw_ && !backBuffer_.Empty()) {
    platform::Canvas canvas(backBuffer_);
    canvas.Fill(backBuffer_.Bounds(), current_ != nullptr ? current_->Background() : kScreenBackground);
    // The pictures this drawing shows are the ones on screen from now on.
    if (data_ != nullptr) data_->Data().pictures.StartFrame();
    if (current_ != nullptr && painter_ != nullptr) current_->Draw(*painter_, canvas);
  }
  target.Copy(backBuffer_, 0, 0);
  if (painter_ != nullptr) {
    if (painter_->Tickers() != nullptr) painter_->Tickers()->Draw(target);
    if (CurrentIsForm()) DrawImage(*painter_, target, kImageKeyboard, kKeyboardIconX, kKeyboardIconY);
    if (current_ != nullptr && current_->PopupShown()) DrawPopup(*painter_, target, *current_);
  }
  needsRedraw_ = false;
  activationPending_ = false;
}

}  // namespace kestrova::ui
