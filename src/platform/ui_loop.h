// The user-interface thread's message loop: posted and sent window messages
// and owned events (platform/ui_event.h), timers, SDL input routed to
// windows, and painting of invalid areas.
//
// The thread that constructs the loop is the user-interface thread (SDL video
// must live on the main thread). Any thread may Post or Send; a Send from
// another thread blocks until the user-interface thread has handled the
// message or run the event, which it does while running the loop and also
// while draining the queue without dispatching (the exit sequence). Once the
// loop is closed a Send returns at once, so no sender can hang on a closed
// program; the loop object itself must outlive every thread that may still
// post or send. Post, Send, PostQuit, Close and the queries of the quit
// request may be called on any thread; timers, windows, ForgetTarget, Run,
// PumpOnce and the drains on the user-interface thread only.
//
// Window messages carry plain values (ids, codes, positions). Anything that
// is handed over (an owned object, a shared flag) travels in an event, so it
// is never an integer: Close and ForgetTarget drop pending events unrun, and
// the owner of each destroys it (the loop a posted one, the sender a sent one).
#pragma once

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "platform/ui_event.h"

namespace kestrova::platform {

class Window;

class UiLoop {
 public:
  using Clock = std::chrono::steady_clock;

  UiLoop();
  ~UiLoop();
  UiLoop(const UiLoop&) = delete;
  UiLoop& operator=(const UiLoop&) = delete;

  // Releases waiting senders with 0 (their handlers do not run) and refuses
  // further messages.
  void Close();

  bool IsUiThread() const { return std::this_thread::get_id() == uiThread_; }

  // Queues a message for the target; any thread.
  void Post(MessageTarget* target, std::uint32_t message, WPARAM wParam, LPARAM lParam);
  // Delivers a message and returns the handler's result (0 when the loop is
  // closed or the target forgotten first); any thread. On the
  // user-interface thread the handler runs at once.
  LRESULT Send(MessageTarget* target, std::uint32_t message, WPARAM wParam, LPARAM lParam);

  // Events: `target` is the window the event is for, so that ForgetTarget
  // drops it when that window goes; null for an event whose receiver
  // outlives every sender (it is dropped only by Close).
  //
  // Queues the event; any thread. The loop owns it from here and runs it on
  // the user-interface thread, or destroys it unrun.
  void Post(MessageTarget* target, std::unique_ptr<UiEvent> event);
  // Runs the event on the user-interface thread and waits until it ran; any
  // thread (on the user-interface thread it runs at once). False when it did
  // not run (the loop is closed, the target was forgotten). The event is
  // destroyed on the calling thread before Send returns, run or not.
  [[nodiscard]] bool Send(MessageTarget* target, std::unique_ptr<UiEvent> event);

  // Ends Run() with this exit code once the queue reaches the loop again.
  void PostQuit(int exitCode);
  bool QuitRequested() const;
  int ExitCode() const;

  // Timers deliver WM_TIMER (wParam = id) to the target every period. Setting
  // an existing timer restarts its period.
  void SetTimer(MessageTarget* target, std::uint32_t id, std::uint32_t periodMs);
  void KillTimer(MessageTarget* target, std::uint32_t id);
  bool HasTimer(MessageTarget* target, std::uint32_t id) const;

  // Drops the target's queued messages, events and timers and answers its
  // waiting senders (0, event not run); called when a window object goes away.
  void ForgetTarget(MessageTarget* target);

  void AttachWindow(Window* window);
  void DetachWindow(Window* window);

  // Runs until PostQuit; returns the exit code.
  int Run();
  // One pass without waiting: sent messages, posted messages, SDL events, due
  // timers, painting. Returns false once quit was requested.
  bool PumpOnce();
  // Handles only the messages other threads are sending now: the
  // user-interface thread calls it while it waits for a thread that may be
  // sending to it, so that neither waits for the other.
  void HandleSent() { HandleSentMessages(); }
  // Removes every queued message and event and pending input without
  // dispatching it, while still handling what other threads send.
  void DrainWithoutDispatch();

 private:
  // A window message, or an event (then the message fields are unused).
  struct Posted {
    MessageTarget* target = nullptr;
    std::uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::unique_ptr<UiEvent> event;
  };
  // Lives on the sender's stack while it waits.
  struct Sent {
    MessageTarget* target = nullptr;
    std::uint32_t message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    UiEvent* event = nullptr;  // the sender's; run here, destroyed by the sender
    LRESULT result = 0;
    bool ran = false;
    bool done = false;
  };
  struct Timer {
    MessageTarget* target;
    std::uint32_t id;
    std::chrono::milliseconds period;
    Clock::time_point due;
  };

  void Wake();
  // Queues for a send from another thread and waits until it was handled or
  // dropped.
  void SendAndWait(Sent& sent);
  void HandleSentMessages();
  bool DispatchOnePosted();
  void HandleSdlEvent(const SDL_Event& event);
  void FireDueTimers();
  void PaintWindows();
  int MillisecondsToNextTimer() const;

  const std::thread::id uiThread_;
  Uint32 wakeEventType_ = 0;

  mutable std::mutex mutex_;  // guards everything below up to timers_
  std::condition_variable sentDone_;
  std::condition_variable woken_;  // Run's own wait, where SDL cannot wait
  bool wakePending_ = false;       // another thread posted or sent since Run last looked
  std::deque<Posted> posted_;
  std::deque<Sent*> sent_;
  bool closed_ = false;
  bool quit_ = false;
  int exitCode_ = 0;

  // User-interface thread only.
  std::vector<Timer> timers_;
  std::vector<Window*> windows_;
};

}  // namespace kestrova::platform
