#include "platform/ui_loop.h"

#include <algorithm>
#include <chrono>
#include <string_view>

#include "platform/window.h"

namespace kestrova::platform {

UiLoop::UiLoop() : uiThread_(std::this_thread::get_id()) {
  if (SDL_WasInit(SDL_INIT_EVENTS) == 0) SDL_InitSubSystem(SDL_INIT_EVENTS);
  wakeEventType_ = SDL_RegisterEvents(1);
}

UiLoop::~UiLoop() { Close(); }

void UiLoop::Close() {
  std::deque<Posted> dropped;  // destroyed after the lock: an event's owned objects go with it
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    for (Sent* sent : sent_) sent->done = true;
    sent_.clear();
    dropped.swap(posted_);
  }
  sentDone_.notify_all();
}

void UiLoop::Wake() {
  {
    std::lock_guard lock(mutex_);
    wakePending_ = true;
  }
  woken_.notify_one();
  if (wakeEventType_ == static_cast<Uint32>(-1)) return;
  SDL_Event event{};
  event.type = wakeEventType_;
  SDL_PushEvent(&event);
}

void UiLoop::Post(MessageTarget* target, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;
    posted_.push_back({target, message, wParam, lParam, nullptr});
  }
  if (!IsUiThread()) Wake();
}

LRESULT UiLoop::Send(MessageTarget* target, std::uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (IsUiThread()) return target->WindowProc(message, wParam, lParam);
  Sent sent;
  sent.target = target;
  sent.message = message;
  sent.wParam = wParam;
  sent.lParam = lParam;
  SendAndWait(sent);
  return sent.result;
}

void UiLoop::Post(MessageTarget* target, std::unique_ptr<UiEvent> event) {
  if (!event) return;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return;  // destroyed here, unrun
    Posted posted;
    posted.target = target;
    posted.event = std::move(event);
    posted_.push_back(std::move(posted));
  }
  if (!IsUiThread()) Wake();
}

bool UiLoop::Send(MessageTarget* target, std::unique_ptr<UiEvent> event) {
  if (!event) return false;
  if (IsUiThread()) {
    event->Run();
    return true;
  }
  Sent sent;
  sent.target = target;
  sent.event = event.get();
  SendAndWait(sent);
  return sent.ran;
}

void UiLoop::SendAndWait(Sent& sent) {
  std::unique_lock lock(mutex_);
  if (closed_) return;
  sent_.push_back(&sent);
  lock.unlock();
  Wake();
  lock.lock();
  sentDone_.wait(lock, [&] { return sent.done; });
}

void UiLoop::PostQuit(int exitCode) {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
    exitCode_ = exitCode;
  }
  if (!IsUiThread()) Wake();
}

bool UiLoop::QuitRequested() const {
  std::lock_guard lock(mutex_);
  return quit_;
}

int UiLoop::ExitCode() const {
  std::lock_guard lock(mutex_);
  return exitCode_;
}

void UiLoop::SetTimer(MessageTarget* target, std::uint32_t id, std::uint32_t periodMs) {
  const auto period = std::chrono::milliseconds(std::max<std::uint32_t>(periodMs, 1));
  const auto due = Clock::now() + period;
  for (auto& timer : timers_) {
    if (timer.target == target && timer.id == id) {
      timer.period = period;
      timer.due = due;
      return;
    }
  }
  timers_.push_back({target, id, period, due});
}

void UiLoop::KillTimer(MessageTarget* target, std::uint32_t id) {
  std::erase_if(timers_, [&](const Timer& t) { return t.target == target && t.id == id; });
}

bool UiLoop::HasTimer(MessageTarget* target, std::uint32_t id) const {
  return std::any_of(timers_.begin(), timers_.end(),
                     [&](const Timer& t) { return t.target == target && t.id == id; });
}

void UiLoop::ForgetTarget(MessageTarget* target) {
  std::erase_if(timers_, [&](const Timer& t) { return t.target == target; });
  std::deque<Posted> dropped;  // destroyed after the lock
  bool answered = false;
  {
    std::lock_guard lock(mutex_);
    for (auto it = posted_.begin(); it != posted_.end();) {
      if (it->target == target) {
        dropped.push_back(std::move(*it));
        it = posted_.erase(it);
      } else {
        ++it;
      }
    }
    for (Sent* sent : sent_) {
      if (sent->target == target) {
        sent->done = true;
        answered = true;
      }
    }
    std::erase_if(sent_, [&](const Sent* s) { return s->target == target; });
  }
  if (answered) sentDone_.notify_all();
}

void UiLoop::AttachWindow(Window* window) { windows_.push_back(window); }

void UiLoop::DetachWindow(Window* window) { std::erase(windows_, window); }

void UiLoop::HandleSentMessages() {
  while (true) {
    Sent* sent = nullptr;
    {
      std::lock_guard lock(mutex_);
      if (sent_.empty()) return;
      sent = sent_.front();
      sent_.pop_front();
    }
    LRESULT result = 0;
    if (sent->event != nullptr) {
      sent->event->Run();
    } else {
      result = sent->target->WindowProc(sent->message, sent->wParam, sent->lParam);
    }
    std::lock_guard lock(mutex_);
    sent->result = result;
    sent->ran = true;
    sent->done = true;
    sentDone_.notify_all();
  }
}

bool UiLoop::DispatchOnePosted() {
  Posted message;
  {
    std::lock_guard lock(mutex_);
    if (posted_.empty()) return false;
    message = std::move(posted_.front());
    posted_.pop_front();
  }
  if (message.event) {
    message.event->Run();
  } else {
    message.target->WindowProc(message.message, message.wParam, message.lParam);
  }
  return true;
}

void UiLoop::HandleSdlEvent(const SDL_Event& event) {
  if (event.type == wakeEventType_) return;  // only wakes the loop
  // Copy: a handler may close a window and so change the list.
  const auto windows = windows_;
  for (Window* window : windows) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) window->HandleEvent(event);
  }
}

void UiLoop::FireDueTimers() {
  const auto now = Clock::now();
  // Collect first: a handler may set or kill timers.
  std::vector<std::pair<MessageTarget*, std::uint32_t>> due;
  for (auto& timer : timers_) {
    if (timer.due <= now) {
      due.emplace_back(timer.target, timer.id);
      // No catching up: a late timer fires once and keeps its rhythm from now.
      timer.due = now + timer.period;
    }
  }
  for (const auto& [target, id] : due) {
    if (HasTimer(target, id)) target->WindowProc(WM_TIMER, id, 0);
  }
}

void UiLoop::PaintWindows() {
  const auto windows = windows_;
  for (Window* window : windows) {
    if (std::find(windows_.begin(), windows_.end(), window) != windows_.end()) window->Update();
  }
}

int UiLoop::MillisecondsToNextTimer() const {
  if (timers_.empty()) return 1000;
  auto next = timers_.front().due;
  for (const auto& timer : timers_) next = std::min(next, timer.due);
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(wait, 0, 1000));
}

bool UiLoop::PumpOnce() {
  HandleSentMessages();
  if (QuitRequested()) return false;
  while (DispatchOnePosted()) {
    HandleSentMessages();
    if (QuitRequested()) return false;
  }
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    HandleSdlEvent(event);
    HandleSentMessages();
    if (QuitRequested()) return false;
  }
  FireDueTimers();
  if (QuitRequested()) return false;
  PaintWindows();
  return !QuitRequested();
}

namespace {

// Video drivers whose event wait sleeps until something happens. With the
// others (the dummy and offscreen drivers, the console's KMS/DRM) SDL's wait
// checks for events every millisecond, a thousand wake-ups a second that
// cost more than the playing channel's decoding; there the loop sleeps on
// its own queue instead and looks for input every kInputPollInterval.
bool WaitsNatively() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver == nullptr) return false;
  const std::string_view name(driver);
  return name == "x11" || name == "wayland";
}

constexpr std::chrono::milliseconds kInputPollInterval{10};

}  // namespace

int UiLoop::Run() {
  const bool native = WaitsNatively();
  while (PumpOnce()) {
    {
      std::lock_guard lock(mutex_);
      if (!posted_.empty() || !sent_.empty()) continue;
    }
    SDL_Event event;
    if (native) {
      if (SDL_WaitEventTimeout(&event, MillisecondsToNextTimer()) != 0) HandleSdlEvent(event);
      continue;
    }
    // PumpOnce has just taken every SDL event; the next look is after the wait.
    const auto wait = std::min<std::chrono::milliseconds>(std::chrono::milliseconds(MillisecondsToNextTimer()),
                                                          kInputPollInterval);
    std::unique_lock lock(mutex_);
    woken_.wait_for(lock, wait, [&] { return wakePending_ || closed_; });
    wakePending_ = false;
  }
  return ExitCode();
}

void UiLoop::DrainWithoutDispatch() {
  HandleSentMessages();
  std::deque<Posted> dropped;  // destroyed after the lock
  {
    std::lock_guard lock(mutex_);
    dropped.swap(posted_);
  }
  SDL_PumpEvents();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  HandleSentMessages();
}

}  // namespace kestrova::platform
