#include "app/kestrova_view.h"

#include <algorithm>
#include <utility>

#include "app/kestrova_doc.h"
#include "app/view_media_player.h"
#include "model/command_ids.h"
#include "model/request_result.h"
#include "platform/message_box.h"
#include "ui/screens/screen_catalogue.h"
#include "ui/skin_image_table.h"

namespace kestrova::app {
namespace {

// The one message the player shows.
constexpr const char* kInternalErrorMessage = "Internal error";

}  // namespace

CKestrovaView::CKestrovaView(platform::UiLoop& loop, platform::Window& window, CKestrovaDoc& document)
    : loop_(loop),
      window_(window),
      document_(document),
      entryEdit_(window, *this),
      playerFactory_(&ViewMediaPlayer::Create) {
  window_.SetView(this);
}

CKestrovaView::~CKestrovaView() {
  window_.SetView(nullptr);
  if (document_.View() == this) {
    document_.SetView(nullptr);
    document_.SetSegmentSink(nullptr);
  }
  loop_.ForgetTarget(this);
  tickers_.Clear();
  DeletePlayer();
}

void CKestrovaView::OnInitialUpdate() {
  document_.SetView(this);
  // The stream worker hands its live segments to this view's player.
  document_.SetSegmentSink(this);
  client_ = window_.ClientRect();
  painter_.Initialise(client_, &document_, &tickers_);

  entryEdit_.Hide();
  entryEdit_.Move({0, 0, 0, 0});
  entryEdit_.SetFont(painter_.FontText());
  entryEdit_.SetText(L"");
  entryEdit_.SetFocusListener([this] { ApplyTextInput(); });
  painter_.SetEdit(&entryEdit_);
  MakeEditBrush();

  offscreen_ = platform::Bitmap(client_.Width(), client_.Height());
  screenManager_.Initialise(painter_, &document_, *this);
  ui::screens::InstallScreens(screenManager_);
  screenManager_.Start();

  loop_.SetTimer(this, kTimerHorizontalTickers, kHorizontalTickerPeriodMs);
  loop_.SetTimer(this, kTimerVerticalTickers, kVerticalTickerPeriodMs);
  loop_.SetTimer(this, kTimerSecond, kSecondPeriodMs);
  loop_.SetTimer(this, kTimerFlush, kFlushPeriodMs);
}

void CKestrovaView::MakeEditBrush() {
  // The part of the input-field image from (6, 7) on, so that the box's
  // background continues the field it is placed over. Where the image ends,
  // its last column and row are repeated.
  const ui::SkinImage& field = painter_.Image(ui::kImageFormSelInput);
  if (!field.Loaded()) {
    editBrush_ = {};
    return;
  }
  editBrush_ = platform::Bitmap(field.width, field.height);
  if (editBrush_.Empty()) return;
  for (int y = 0; y < field.height; ++y) {
    const std::uint16_t* from = field.cache.Row(std::min(y + kEditBrushY, field.height - 1));
    std::uint16_t* to = editBrush_.Row(y);
    for (int x = 0; x < field.width; ++x) to[x] = from[std::min(x + kEditBrushX, field.width - 1)];
  }
}

platform::EditControl::Colours CKestrovaView::EditColours() const {
  return {kEditText, kEditBackground, true, editBrush_.Empty() ? nullptr : &editBrush_};
}

platform::Rect CKestrovaView::WaiterRect() const {
  const ui::SkinImage& frame = painter_.Image(ui::kImageWaiterFirst);
  const int left = client_.left + (client_.Width() - frame.width) / 2;
  const int top = client_.top + (client_.Height() - frame.height) / 2;
  return {left, top, left + frame.width, top + frame.height};
}

void CKestrovaView::RestartTickerTimers() {
  loop_.SetTimer(this, kTimerHorizontalTickers, kHorizontalTickerPeriodMs);
  loop_.SetTimer(this, kTimerVerticalTickers, kVerticalTickerPeriodMs);
}

void CKestrovaView::Compose() {
  platform::Canvas canvas(offscreen_);
  if (busy_) {
    canvas.Copy(painter_.BackBuffer(), 0, 0);
    const platform::Rect waiter = WaiterRect();
    ui::DrawImage(painter_, canvas, ui::kImageWaiterFirst + waiterFrame_ % ui::kWaiterFrameCount, waiter.left,
                  waiter.top);
  } else {
    painter_.SetScreen(client_);
    // Tickers stand still for a full period after every change of picture.
    if (screenManager_.NeedsRedraw()) RestartTickerTimers();
    screenManager_.Paint(canvas);
    // The edit box is a child window over the view; a pop-up hides it.
    if (entryEdit_.Visible() && !popupShown_) entryEdit_.Draw(canvas, EditColours());
  }
}

void CKestrovaView::OnDraw() {
  window_.BeginPaint();
  if (player_ && player_->IsPlaying()) {
    // The player owns the screen: a change of the interface around its
    // picture (a pop-up closed, the volume changed) goes out through it.
    if (!player_->IsFullScreen() && screenManager_.NeedsRedraw() && !offscreen_.Empty()) {
      Compose();
      player_->PaintInterface(offscreen_);
    }
    return;
  }
  if (offscreen_.Empty()) return;
  Compose();
  window_.Present(offscreen_);
  ++paintCount_;
}

void CKestrovaView::InvalidateAndUpdate() {
  window_.Invalidate();
  window_.Update();
}

void CKestrovaView::SetPopupShown(bool shown) {
  popupShown_ = shown;
  // The box would cover the pop-up; the next activation of the form screen
  // shows it again (its text stays in the box until then).
  if (shown) entryEdit_.Hide();
}

bool CKestrovaView::CreatePlayer() {
  DeletePlayer();
  if (!playerFactory_) return true;  // a program without the player subsystem
  std::shared_ptr<ui::ViewPlayer> made = playerFactory_(*this);
  if (!made) return false;
  const std::lock_guard guard(playerLock_);
  player_ = std::move(made);
  return true;
}

void CKestrovaView::DeletePlayer() {
  std::shared_ptr<ui::ViewPlayer> old;
  {
    const std::lock_guard guard(playerLock_);
    old = std::move(player_);
  }
  // No longer current, so whatever it still reports is ignored; a stream
  // worker holding a copy finds it closed.
  if (old) old->Close();
}

bool CKestrovaView::QueueSegment(const std::filesystem::path& file, const std::wstring& programme) {
  std::shared_ptr<ui::ViewPlayer> player;
  {
    const std::lock_guard guard(playerLock_);
    player = player_;
  }
  // Outside the lock: queueing a first segment sends notification 27 to the
  // user-interface thread and waits for it.
  return player && player->QueueSegment(file, programme);
}

void CKestrovaView::Take(PlayerNotice notice) {
  if (notice.player != player_.get()) return;
  if (notice.command == model::kCommandSegmentFinished) {
    screenManager_.RequestDone(notice.command, nullptr);
    return;
  }
  auto result = std::make_unique<model::RequestResult>();
  result->ok = notice.ok;
  result->message = std::move(notice.programme);
  screenManager_.RequestDone(notice.command, std::move(result));
  if (notice.command == model::kCommandSegmentOpened) InvalidateAndUpdate();
}

void CKestrovaView::SetDelayedStep(std::uint32_t delayMs, std::function<void()> step) {
  delayedStep_ = std::move(step);
  loop_.SetTimer(this, kTimerDelayedStep, delayMs);
}

void CKestrovaView::CancelDelayedStep() {
  loop_.KillTimer(this, kTimerDelayedStep);
  delayedStep_ = nullptr;
}

void CKestrovaView::RunDelayedStep() {
  // Once: taken out first, since the step may set the next one.
  loop_.KillTimer(this, kTimerDelayedStep);
  std::function<void()> step = std::exchange(delayedStep_, nullptr);
  if (step) step();
}

void CKestrovaView::Take(PlayerInterfaceWanted wanted) {
  if (!player_ || wanted.player != player_.get() || offscreen_.Empty()) return;
  Compose();
  player_->PaintInterface(offscreen_);
}

void CKestrovaView::Take(PlayerFailed) { platform::ShowMessageBox("Kestrova", kInternalErrorMessage); }

void CKestrovaView::StepWaiter() {
  ++waiterFrame_;
  window_.Invalidate(WaiterRect());
  window_.Update();
}

void CKestrovaView::OnTimer(std::uint32_t id) {
  switch (id) {
    case kTimerWaiter: StepWaiter(); break;
    case kTimerDelayedStep: RunDelayedStep(); return;
    case kTimerSecond:
      if (screenManager_.RunSecondStep()) InvalidateAndUpdate();
      break;
    default: break;
  }
  TickTickers(id);
}

void CKestrovaView::TickTickers(std::uint32_t id) {
  if (busy_ || popupShown_ || (player_ && player_->IsPlaying() && player_->IsFullScreen())) return;
  if (tickers_.Empty()) {
    window_.Update();
    return;
  }
  for (ui::Ticker& ticker : tickers_.Entries()) {
    if (ticker.disabled) continue;
    if (!ticker.vertical && id == kTimerHorizontalTickers) {
      ui::TickerRegistry::StepHorizontal(ticker);
      window_.Invalidate(ticker.rect);
    } else if (ticker.vertical && id == kTimerVerticalTickers) {
      ui::TickerRegistry::StepVertical(ticker);
      window_.Invalidate(ticker.rect);
    }
  }
  window_.Update();
}

void CKestrovaView::Take(NetBusy event) {
  const bool busy = event.shown;
  busy_ = busy;
  waitedRequest_ = busy ? std::move(event.request) : nullptr;
  // Busy mode ignores keys except Back, which must reach the view even when
  // the edit box has the focus.
  window_.SetKeysToView(busy);
  if (busy) {
    // The dimmed snapshot the waiter turns on.
    platform::Canvas snapshot(painter_.BackBuffer());
    snapshot.Fill(snapshot.Bounds(), ui::kScreenBackground);
    painter_.SetScreen(client_);
    screenManager_.Paint(snapshot);
    ui::DrawImage(painter_, snapshot, ui::kImageOverlayer, 0, 0);
    loop_.SetTimer(this, kTimerWaiter, kWaiterPeriodMs);
    waiterFrame_ = 0;
  } else {
    loop_.KillTimer(this, kTimerWaiter);
  }
  StepWaiter();
  InvalidateAndUpdate();
}

void CKestrovaView::Take(NetResult event) {
  // Handed to the screen that asked, or freed with the event when the user
  // has left that screen.
  if (screenManager_.Current() == event.requester) screenManager_.RequestDone(event.command, std::move(event.result));
}

void CKestrovaView::Take(NetDone) { InvalidateAndUpdate(); }

void CKestrovaView::OnSettingChange(platform::WPARAM wParam) {
  if (player_ && wParam == platform::SETTINGCHANGE_RESET && player_->PausedForLostSurface()) {
    player_->RecreateVideoAndResume();
  }
}

platform::LRESULT CKestrovaView::WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) {
  switch (message) {
    case platform::WM_PAINT: OnDraw(); return 0;
    case platform::WM_ERASEBKGND: return OnEraseBkgnd() ? 1 : 0;
    case platform::WM_TIMER: OnTimer(static_cast<std::uint32_t>(wParam)); return 0;
    case platform::WM_KEYDOWN: OnKeyDown(static_cast<std::uint32_t>(wParam)); return 0;
    case platform::WM_KEYUP: OnKeyUp(static_cast<std::uint32_t>(wParam)); return 0;
    case platform::WM_LBUTTONDOWN: OnPointerDown(platform::PointX(lParam), platform::PointY(lParam)); return 0;
    case platform::WM_LBUTTONUP:
      OnPointer(ui::kPointerUp, platform::PointX(lParam), platform::PointY(lParam));
      return 0;
    case platform::WM_MOUSEMOVE:
      OnPointer(ui::kPointerMove, platform::PointX(lParam), platform::PointY(lParam));
      return 0;
    case platform::WM_SIZE: ApplyTextInput(); return 0;
    case platform::WM_SETTINGCHANGE: OnSettingChange(wParam); return 0;
    default: return 0;
  }
}

}  // namespace kestrova::app
