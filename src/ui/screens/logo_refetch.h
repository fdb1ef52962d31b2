// The logos a screen draws that were dropped to keep the pictures within
// their memory budget: each is asked for again once (command 35, without the
// waiting indicator) and kept in the data state when it arrives, on the
// user-interface thread like every other picture the screens show. While it
// is on its way the entry is drawn as one whose logo has not come yet.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "model/catalogue_records.h"
#include "model/data_state.h"
#include "model/record_keys.h"
#include "ui/screen_document.h"

namespace kestrova::ui::screens {

class LogoRefetch {
 public:
  // At most this many logos are on their way at once; the others are asked
  // for on a later drawing.
  static constexpr std::size_t kMaxPending = 16;

  // The entry of the current level is being drawn: its logo stays on screen
  // within the budget, or, when it was dropped and is not on its way yet,
  // the parameters of the command that fetches it again.
  std::optional<CommandParameters> Show(model::DataState& data, const model::CatalogueItem& item);
  // Keeps the logos that arrived in the entries they belong to (entries
  // gone meanwhile are left alone). True when one was kept.
  bool TakeArrived(model::DataState& data);
  // The requests on their way are no longer wanted (another level is shown).
  void Forget() { pending_.clear(); }

 private:
  struct Pending {
    model::ChannelKey key;
    const model::CatalogueItem* item = nullptr;  // compared, never followed
    std::shared_ptr<PreviewDelivery> delivery;
  };
  std::vector<Pending> pending_;
};

}  // namespace kestrova::ui::screens
