// The money of an account: the balance with a ledger of every change, bought
// videos, channel and package subscriptions, and gift codes. Every charge
// checks and changes the balance in one transaction.
#pragma once

#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "storage.h"

namespace kestrova::server {

enum class PurchaseKind { kPlay, kDownload };

enum class ChargeOutcome { kCharged, kAlreadyOwned, kInsufficientBalance };

struct Charge {
  ChargeOutcome outcome = ChargeOutcome::kCharged;
  int balance = 0;  // after the charge
  std::time_t until = 0;  // subscriptions: the end of the (new or running) subscription
};

enum class GiftOutcome { kActivated, kAlreadyUsed, kExhausted };

// For callers that already hold the database (SMS payments): credit with a
// ledger line and an inbox notice, and a subscription granted or extended.
void CreditIn(Database& db, int user_id, int amount, std::string_view reason, std::time_t now);
std::time_t GrantSubscriptionIn(Database& db, int user_id, int item_id, int days, std::time_t now);

class Wallet {
 public:
  explicit Wallet(Storage& storage) : storage_(storage) {}

  int Balance(int user_id);

  struct Purchase {
    int video_id;
    PurchaseKind kind;
  };
  std::vector<Purchase> Purchases(int user_id);
  // Buys a video once; buying it again costs nothing.
  Charge BuyVideo(int user_id, int video_id, PurchaseKind kind, int price, std::time_t now);
  // Bought videos, each once, in the order of their first purchase.
  std::vector<int> PurchasedVideos(int user_id);

  // The end of the running subscription to a channel or package, if any.
  std::optional<std::time_t> SubscribedUntil(int user_id, int item_id, std::time_t now);
  // A subscription from the balance; a running one is kept, not charged again.
  Charge Subscribe(int user_id, int item_id, int price, int days, std::time_t now);

  GiftOutcome ActivateGift(int user_id, const GiftCode& gift, std::time_t now);

 private:
  Storage& storage_;
};

}  // namespace kestrova::server
