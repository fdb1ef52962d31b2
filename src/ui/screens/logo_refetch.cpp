#include "ui/screens/logo_refetch.h"

#include <algorithm>
#include <utility>

namespace kestrova::ui::screens {

std::optional<CommandParameters> LogoRefetch::Show(model::DataState& data, const model::CatalogueItem& item) {
  if (!item.logoImage.Empty()) {
    data.ShowLogo(item);
    return std::nullopt;
  }
  if (item.logoDropped == 0 || pending_.size() >= kMaxPending) return std::nullopt;
  if (std::any_of(pending_.begin(), pending_.end(), [&item](const Pending& p) { return p.item == &item; })) {
    return std::nullopt;
  }
  Pending pending{model::KeyOf(data, &item), &item, std::make_shared<PreviewDelivery>()};
  if (model::Find(data, pending.key) != &item) return std::nullopt;  // not an entry of the current level
  CommandParameters parameters;
  parameters.text = item.logoLink;
  parameters.index = item.logoSize;
  parameters.preview = pending.delivery;
  pending_.push_back(std::move(pending));
  return parameters;
}

bool LogoRefetch::TakeArrived(model::DataState& data) {
  bool kept = false;
  std::vector<model::PictureKey> dropped;
  std::erase_if(pending_, [&](Pending& pending) {
    if (!pending.delivery->done.load(std::memory_order_acquire)) return false;
    model::CatalogueItem* item = model::Find(data, pending.key);
    if (item == nullptr || item != pending.item || item->logoDropped == 0 || !item->logoImage.Empty()) return true;
    if (pending.delivery->picture.Empty()) {
      // The logo cannot be had any more: the entry goes on without one, as
      // after a failed first download, and is not asked for again.
      item->logoDropped = 0;
      return true;
    }
    data.KeepLogo(*item, std::move(pending.delivery->picture), dropped);
    kept = kept || !item->logoImage.Empty();
    return true;
  });
  return kept;
}

}  // namespace kestrova::ui::screens
