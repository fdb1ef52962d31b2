#include "net/kept_connection.h"

namespace kestrova::net {

platform::HttpResponse KeptConnection::Run(const Exchange& exchange) {
  std::lock_guard lock(mutex_);
  if (!session_) session_ = std::make_unique<platform::HttpSession>();
  platform::HttpResponse response = exchange(*session_);
  const bool usable = response.outcome == platform::HttpOutcome::Ok ||
                      response.outcome == platform::HttpOutcome::EmptyBody;
  if (!usable || !session_->Valid()) session_.reset();
  return response;
}

void KeptConnection::Close() {
  std::lock_guard lock(mutex_);
  session_.reset();
}

bool KeptConnection::IsOpen() const {
  std::lock_guard lock(mutex_);
  return session_ != nullptr;
}

}  // namespace kestrova::net
