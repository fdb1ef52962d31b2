#include "model/picture_budget.h"

#include <iterator>

namespace kestrova::model {

bool PictureBudget::Admit(PictureKey key, std::size_t bytes, std::vector<PictureKey>& victims) {
  Forget(key);
  std::size_t onScreen = 0;
  for (const Entry& entry : order_) {
    if (entry.shownFrame == frame_) onScreen += entry.bytes;
  }
  if (bytes > limit_ || onScreen > limit_ - bytes) return false;
  for (auto it = order_.begin(); held_ > limit_ - bytes && it != order_.end();) {
    if (it->shownFrame == frame_) {
      ++it;
      continue;
    }
    victims.push_back(it->key);
    held_ -= it->bytes;
    entries_.erase(it->key);
    it = order_.erase(it);
  }
  order_.push_back({key, bytes, 0});
  entries_[key] = std::prev(order_.end());
  held_ += bytes;
  return true;
}

void PictureBudget::Touch(PictureKey key) {
  const auto found = entries_.find(key);
  if (found == entries_.end()) return;
  found->second->shownFrame = frame_;
  order_.splice(order_.end(), order_, found->second);
}

void PictureBudget::Forget(PictureKey key) {
  const auto found = entries_.find(key);
  if (found == entries_.end()) return;
  held_ -= found->second->bytes;
  order_.erase(found->second);
  entries_.erase(found);
}

void PictureBudget::Clear() {
  entries_.clear();
  order_.clear();
  held_ = 0;
}

}  // namespace kestrova::model
