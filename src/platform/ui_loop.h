// The user-interface thread's message loop: posted and sent messages, timers,
// SDL input routed to windows, and painting of invalid areas.
//
// The thread that constructs the loop is the user-interface thread (SDL video
// must live on the main thread). Any thread may Post or Send; a Send from
// another thread blocks until the user-interface thread has handled the
// message, which it does while running the loop and also while draining the
// queue without dispatching (the exit sequence). Once the loop is closed a
// Send returns 0 at once, so no sender can hang on a closed program; the loop
// object itself must outlive every thread that may still post or send.
//
// Close and ForgetTarget answer pending sends with 0 without running the
// handler. A message that hands over an owned object therefore has its
// handler answer non-zero when it took the object, and the sender frees the
// object on any other answer.
#pragma once

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/messages.h"

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
  // Delivers a message and returns the handler's result; any thread. On the
  // user-interface thread the handler runs at once.
  LRESULT Send(MessageTarget* target, std::uint32_t message, WPARAM wParam, LPARAM lParam);

  // Ends Run() with this exit code once the queue reaches the loop again.
  void PostQuit(int exitCode);
  bool QuitRequested() const;
  int ExitCode() const;

  // Timers deliver WM_TIMER (wParam = id) to the target every period. Setting
  // an existing timer restarts its period.
  void SetTimer(MessageTarget* target, std::uint32_t id, std::uint32_t periodMs);
  void KillTimer(MessageTarget* target, std::uint32_t id);
  bool HasTimer(MessageTarget* target, std::uint32_t id) const;

  // Drops the target's queued messages and timers and answers its waiting
  // senders with 0; called when a window object goes away.
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
  // Removes every queued message and pending input without dispatching it,
  // while still handling messages sent from other threads.
  void DrainWithoutDispatch();

 private:
  struct Posted {
    MessageTarget* target;
    std::uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
  };
  struct Sent {
    MessageTarget* target;
    std::uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
  };
  struct Timer {
    MessageTarget* target;
    std::uint32_t id;
    std::chrono::milliseconds period;
    Clock::time_point due;
  };

  void Wake();
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
