// An owned event for the user-interface thread, carried by the message loop
// next to the window messages. Whatever another thread hands over to that
// thread (a command's result, a player's notice) travels inside one, as a
// typed value, never as a message parameter.
//
// The loop runs an event once, on the user-interface thread, or destroys it
// unrun when it cannot be delivered (its target was forgotten, the loop is
// closed). Either way exactly one owner destroys it: the loop for a posted
// event, the sender for a sent one; what Run hands on is owned by the
// receiver from then on.
#pragma once

#include <memory>
#include <utility>

namespace kestrova::platform {

class UiEvent {
 public:
  virtual ~UiEvent() = default;
  // User-interface thread only; called at most once.
  virtual void Run() = 0;

 protected:
  UiEvent() = default;
  UiEvent(const UiEvent&) = delete;
  UiEvent& operator=(const UiEvent&) = delete;
};

// An event that hands one value to a receiver: Run calls
// receiver.Take(std::move(value)). The receiver must outlive the event's
// delivery (the loop drops an undelivered event of a forgotten target).
template <class Receiver, class Value>
class HandOver final : public UiEvent {
 public:
  HandOver(Receiver& receiver, Value value) : receiver_(receiver), value_(std::move(value)) {}
  void Run() override { receiver_.Take(std::move(value_)); }

 private:
  Receiver& receiver_;
  Value value_;
};

template <class Receiver, class Value>
std::unique_ptr<UiEvent> MakeHandOver(Receiver& receiver, Value value) {
  return std::make_unique<HandOver<Receiver, Value>>(receiver, std::move(value));
}

}  // namespace kestrova::platform
