// Who may watch what: free channels, channels bought on their own, and the
// channels of a subscribed package.
#pragma once

#include <ctime>

#include "catalogue.h"
#include "wallet.h"

namespace kestrova::server {

bool PackageOpen(Wallet& wallet, int user_id, const ChannelFolder& folder, std::time_t now);
bool CanWatch(Wallet& wallet, const Catalogue& catalogue, int user_id, const Channel& channel, std::time_t now);

}  // namespace kestrova::server
