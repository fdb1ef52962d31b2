#include "waiting_setups.h"

namespace kestrova::server {

std::shared_ptr<void> WaitingSetups::Take(int user_id) {
  {
    const std::lock_guard lock(counts_->mutex);
    int& waiting = counts_->waiting[user_id];
    if (waiting >= kMaxPerAccount) return nullptr;
    ++waiting;
  }
  // The hold points at the counts it keeps alive; its deleter gives the
  // place back and frees nothing.
  return std::shared_ptr<void>(counts_.get(), [counts = counts_, user_id](void*) {
    const std::lock_guard lock(counts->mutex);
    const auto it = counts->waiting.find(user_id);
    if (it != counts->waiting.end() && --it->second <= 0) counts->waiting.erase(it);
  });
}

int WaitingSetups::Waiting(int user_id) const {
  const std::lock_guard lock(counts_->mutex);
  const auto it = counts_->waiting.find(user_id);
  return it == counts_->waiting.end() ? 0 : it->second;
}

}  // namespace kestrova::server
