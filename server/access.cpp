#include "access.h"

namespace kestrova::server {

bool PackageOpen(Wallet& wallet, int user_id, const ChannelFolder& folder, std::time_t now) {
  return !folder.paid || wallet.SubscribedUntil(user_id, folder.id, now).has_value();
}

bool CanWatch(Wallet& wallet, const Catalogue& catalogue, int user_id, const Channel& channel, std::time_t now) {
  if (const ChannelFolder* folder = catalogue.FindFolder(channel.folder); folder != nullptr && folder->paid) {
    return PackageOpen(wallet, user_id, *folder, now);
  }
  return channel.free || wallet.SubscribedUntil(user_id, channel.id, now).has_value();
}

}  // namespace kestrova::server
