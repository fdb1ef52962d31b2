// The one view the user sees. It owns the user-interface state (painter,
// screen manager, ticker registry, busy mode with its waiter, the
// text-entry box and, while a channel plays, the player), paints everything
// through one off-screen bitmap, runs the view timers and turns keys,
// taps and what the workers and the player hand over into calls on the
// current screen.
//
// Threads: everything here runs on the user-interface thread, except
// QueueSegment (the stream worker) and what the player's threads call on
// ViewMediaPlayer; other threads reach the view only through the loop, as
// window messages or as the hand-overs Take receives.
#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "app/network_task.h"
#include "app/view_events.h"
#include "app/view_media_player.h"
#include "net/segment_sink.h"
#include "platform/bitmap.h"
#include "platform/edit_control.h"
#include "platform/messages.h"
#include "platform/ui_loop.h"
#include "platform/window.h"
#include "ui/entry_edit.h"
#include "ui/painter.h"
#include "ui/screen_manager.h"
#include "ui/ticker.h"
#include "ui/view_host.h"
#include "ui/view_player.h"

namespace kestrova::app {

class CKestrovaDoc;

class CKestrovaView final : public platform::MessageTarget,
                            public NetEvents,
                            public ui::ViewHost,
                            public net::SegmentSink {
 public:
  // Timers: the waiter frames while busy; horizontal tickers; vertical
  // tickers; the details screen's one-second step; flushing invalid areas;
  // a screen's delayed step (once, while one is set).
  static constexpr std::uint32_t kTimerWaiter = 1;
  static constexpr std::uint32_t kTimerHorizontalTickers = 2;
  static constexpr std::uint32_t kTimerVerticalTickers = 3;
  static constexpr std::uint32_t kTimerSecond = 4;
  static constexpr std::uint32_t kTimerFlush = 5;
  static constexpr std::uint32_t kTimerDelayedStep = 6;
  static constexpr std::uint32_t kWaiterPeriodMs = 75;
  static constexpr std::uint32_t kHorizontalTickerPeriodMs = 200;
  static constexpr std::uint32_t kVerticalTickerPeriodMs = 400;
  static constexpr std::uint32_t kSecondPeriodMs = 1000;
  static constexpr std::uint32_t kFlushPeriodMs = 100;

  // Pointer geometry: the soft-key bar is the bottom 30 pixels; the keyboard
  // icon of the form screens answers in the top-right 40 x 30 pixels.
  static constexpr int kSoftKeyBarHeight = 30;
  static constexpr int kKeyboardIconWidth = 40;
  static constexpr int kKeyboardIconHeight = 30;

  // The edit box's colours and where its background brush starts in image 1.
  static constexpr platform::Colour kEditText = platform::Rgb(0, 0, 0);
  static constexpr platform::Colour kEditBackground = platform::Rgb(250, 250, 250);
  static constexpr int kEditBrushX = 6;
  static constexpr int kEditBrushY = 7;

  // Makes the player attached to this view; null when it cannot be attached.
  using PlayerFactory = std::function<std::shared_ptr<ui::ViewPlayer>(CKestrovaView&)>;

  CKestrovaView(platform::UiLoop& loop, platform::Window& window, CKestrovaDoc& document);
  ~CKestrovaView();
  CKestrovaView(const CKestrovaView&) = delete;
  CKestrovaView& operator=(const CKestrovaView&) = delete;

  void OnInitialUpdate();
  void OnDraw();
  bool OnEraseBkgnd() { return false; }

  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) override;

  // The network hand-overs, from the document's relay (and the tests).
  // Busy mode on with the request the waiter is shown for, or off.
  void Take(NetBusy busy) override;
  // The result goes to its requester while that is the current screen and
  // is freed otherwise: the one way a result reaches a screen.
  void Take(NetResult result) override;
  // Repaint now.
  void Take(NetDone done) override;
  // The player's hand-overs; ignored when they come from a former player.
  void Take(PlayerNotice notice);
  void Take(PlayerInterfaceWanted wanted);
  void Take(PlayerFailed failed);

  // Operations for the screens and the frame.
  [[nodiscard]] bool CreatePlayer() override;
  void DeletePlayer() override;
  ui::ViewPlayer* Player() const override { return player_.get(); }
  // The stream worker's way in: the segment goes to the current player.
  [[nodiscard]] bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override;
  void SetPlayerFactory(PlayerFactory factory) { playerFactory_ = std::move(factory); }
  void ClearTickers() override { tickers_.Clear(); }
  void SetPopupShown(bool shown) override;
  void HideEditBox() override { entryEdit_.Hide(); }
  void InvalidateAndUpdate() override;
  void SetAutomaticLogin(bool running) override { automaticLogin_ = running; }
  bool AutomaticLogin() const override { return automaticLogin_; }
  void SetDelayedStep(std::uint32_t delayMs, std::function<void()> step) override;
  void CancelDelayedStep() override;

  // The input panel: the system's text input, toggled by the keyboard icon.
  void ToggleInputPanel();
  void ResetInputPanel();
  bool InputPanelShown() const { return inputPanelShown_; }

  // The control-colour answer for the text-entry box.
  platform::EditControl::Colours EditColours() const;

  CKestrovaDoc& Document() { return document_; }
  platform::UiLoop& Loop() { return loop_; }
  platform::Window& GetWindow() { return window_; }
  ui::Painter& GetPainter() { return painter_; }
  ui::ScreenManager& Screens() { return screenManager_; }
  ui::TickerRegistry& Tickers() { return tickers_; }
  ui::EntryEdit& Edit() { return entryEdit_; }
  const platform::Bitmap& EditBrush() const { return editBrush_; }
  bool Busy() const { return busy_; }
  bool PopupShown() const { return popupShown_; }
  int WaiterFrameCounter() const { return waiterFrame_; }
  // The waiter frame image centred in the screen.
  platform::Rect WaiterRect() const;

  // The last painted picture, for tests and screenshots.
  const platform::Bitmap& Picture() const { return offscreen_; }
  int PaintCount() const { return paintCount_; }

 private:
  void OnTimer(std::uint32_t id);
  void RunDelayedStep();
  void TickTickers(std::uint32_t id);
  void StepWaiter();
  void OnKeyDown(std::uint32_t key);
  void OnKeyUp(std::uint32_t key);
  void SoftKey(std::uint32_t key);
  void OnPointerDown(int x, int y);
  void OnPointer(int kind, int x, int y);
  void OnSettingChange(platform::WPARAM wParam);
  // Composes the current screen (or the waiter) into the off-screen bitmap.
  void Compose();
  void ApplyTextInput();
  void MakeEditBrush();
  void RestartTickerTimers();

  platform::UiLoop& loop_;
  platform::Window& window_;
  CKestrovaDoc& document_;
  // Declared in this order so that they go in the reverse one: tickers,
  // player, screen manager, painter, brush, text-entry box.
  int waiterFrame_ = 0;
  ui::EntryEdit entryEdit_;
  platform::Bitmap editBrush_;
  ui::Painter painter_;
  ui::ScreenManager screenManager_;
  bool busy_ = false;
  // The request the waiter is shown for, which Back cancels; none when the
  // waiter is off or was turned on without one.
  RequestCancel waitedRequest_;
  // Replaced on the user-interface thread only, under playerLock_, which the
  // stream worker takes just long enough to copy the pointer.
  std::shared_ptr<ui::ViewPlayer> player_;
  std::mutex playerLock_;
  ui::TickerRegistry tickers_;
  bool popupShown_ = false;

  bool inputPanelShown_ = false;
  bool automaticLogin_ = false;  // the stored account is being logged in
  bool pointerOnEdit_ = false;  // the last pointer-down went to the edit box
  PlayerFactory playerFactory_;
  std::function<void()> delayedStep_;  // run once by kTimerDelayedStep; user-interface thread only
  platform::Rect client_;
  platform::Bitmap offscreen_;
  int paintCount_ = 0;
};

}  // namespace kestrova::app
