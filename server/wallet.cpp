#include "wallet.h"

#include <algorithm>

#include "inbox.h"

namespace kestrova::server {
namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 3600;

std::string_view KindName(PurchaseKind kind) { return kind == PurchaseKind::kPlay ? "pl" : "dwn"; }

int BalanceIn(Database& db, int user_id) {
  auto query = db.Prepare("SELECT balance FROM accounts WHERE id = ?");
  query.Bind(1, user_id);
  return query.Step() ? static_cast<int>(query.Int(0)) : 0;
}

void ChangeBalance(Database& db, int user_id, int amount, std::string_view reason, std::time_t now) {
  auto update = db.Prepare("UPDATE accounts SET balance = balance + ? WHERE id = ?");
  update.Bind(1, amount).Bind(2, user_id);
  update.Run();
  auto ledger = db.Prepare("INSERT INTO ledger (user_id, amount, reason, created) VALUES (?, ?, ?, ?)");
  ledger.Bind(1, user_id).Bind(2, amount).Bind(3, reason).Bind(4, static_cast<std::int64_t>(now));
  ledger.Run();
}

std::optional<std::time_t> UntilIn(Database& db, int user_id, int item_id, std::time_t now) {
  auto query = db.Prepare("SELECT until FROM subscriptions WHERE user_id = ? AND item_id = ? AND until > ?");
  query.Bind(1, user_id).Bind(2, item_id).Bind(3, static_cast<std::int64_t>(now));
  if (!query.Step()) return std::nullopt;
  return static_cast<std::time_t>(query.Int(0));
}

}  // namespace

void CreditIn(Database& db, int user_id, int amount, std::string_view reason, std::time_t now) {
  ChangeBalance(db, user_id, amount, reason, now);
  AddInboxNotice(db, user_id, InboxKind::kCredit, amount, 0, now);
}

std::time_t GrantSubscriptionIn(Database& db, int user_id, int item_id, int days, std::time_t now) {
  const std::time_t from = std::max(now, UntilIn(db, user_id, item_id, now).value_or(now));
  const std::time_t until = from + days * kSecondsPerDay;
  auto upsert = db.Prepare(
      "INSERT INTO subscriptions (user_id, item_id, until) VALUES (?, ?, ?) "
      "ON CONFLICT (user_id, item_id) DO UPDATE SET until = excluded.until");
  upsert.Bind(1, user_id).Bind(2, item_id).Bind(3, static_cast<std::int64_t>(until));
  upsert.Run();
  AddInboxNotice(db, user_id, InboxKind::kSubscription, days, item_id, now);
  return until;
}

int Wallet::Balance(int user_id) {
  auto db = storage_.Lock();
  return BalanceIn(*db, user_id);
}

std::vector<Wallet::Purchase> Wallet::Purchases(int user_id) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT video_id, kind FROM purchases WHERE user_id = ?");
  query.Bind(1, user_id);
  std::vector<Purchase> purchases;
  while (query.Step()) {
    const bool play = query.Text(1) == KindName(PurchaseKind::kPlay);
    purchases.push_back({static_cast<int>(query.Int(0)), play ? PurchaseKind::kPlay : PurchaseKind::kDownload});
  }
  return purchases;
}

Charge Wallet::BuyVideo(int user_id, int video_id, PurchaseKind kind, int price, std::time_t now) {
  auto db = storage_.Lock();
  Transaction transaction(*db);
  Charge charge;
  charge.balance = BalanceIn(*db, user_id);
  auto owned = db->Prepare("SELECT 1 FROM purchases WHERE user_id = ? AND video_id = ? AND kind = ?");
  owned.Bind(1, user_id).Bind(2, video_id).Bind(3, KindName(kind));
  if (owned.Step()) {
    charge.outcome = ChargeOutcome::kAlreadyOwned;
    return charge;
  }
  if (charge.balance < price) {
    charge.outcome = ChargeOutcome::kInsufficientBalance;
    return charge;
  }
  if (price > 0) {
    ChangeBalance(*db, user_id, -price, "video " + std::to_string(video_id) + " " + std::string(KindName(kind)), now);
  }
  auto insert = db->Prepare("INSERT INTO purchases (user_id, video_id, kind, price, bought) VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, video_id).Bind(3, KindName(kind)).Bind(4, price);
  insert.Bind(5, static_cast<std::int64_t>(now));
  insert.Run();
  transaction.Commit();
  charge.balance -= price;
  return charge;
}

std::vector<int> Wallet::PurchasedVideos(int user_id) {
  auto db = storage_.Lock();
  auto query = db->Prepare(
      "SELECT video_id FROM purchases WHERE user_id = ? GROUP BY video_id ORDER BY MIN(bought), MIN(rowid)");
  query.Bind(1, user_id);
  std::vector<int> ids;
  while (query.Step()) ids.push_back(static_cast<int>(query.Int(0)));
  return ids;
}

std::optional<std::time_t> Wallet::SubscribedUntil(int user_id, int item_id, std::time_t now) {
  auto db = storage_.Lock();
  return UntilIn(*db, user_id, item_id, now);
}

Charge Wallet::Subscribe(int user_id, int item_id, int price, int days, std::time_t now) {
  auto db = storage_.Lock();
  Transaction transaction(*db);
  Charge charge;
  charge.balance = BalanceIn(*db, user_id);
  if (const auto until = UntilIn(*db, user_id, item_id, now)) {
    charge.outcome = ChargeOutcome::kAlreadyOwned;
    charge.until = *until;
    return charge;
  }
  if (charge.balance < price) {
    charge.outcome = ChargeOutcome::kInsufficientBalance;
    return charge;
  }
  ChangeBalance(*db, user_id, -price, "subscription " + std::to_string(item_id), now);
  charge.until = GrantSubscriptionIn(*db, user_id, item_id, days, now);
  transaction.Commit();
  charge.balance -= price;
  return charge;
}

GiftOutcome Wallet::ActivateGift(int user_id, const GiftCode& gift, std::time_t now) {
  auto db = storage_.Lock();
  Transaction transaction(*db);
  auto used = db->Prepare("SELECT 1 FROM gift_activations WHERE user_id = ? AND code = ?");
  used.Bind(1, user_id).Bind(2, gift.code);
  if (used.Step()) return GiftOutcome::kAlreadyUsed;
  if (gift.max_uses > 0) {
    auto count = db->Prepare("SELECT COUNT(*) FROM gift_activations WHERE code = ?");
    count.Bind(1, gift.code);
    if (count.Step() && count.Int(0) >= gift.max_uses) return GiftOutcome::kExhausted;
  }
  auto insert = db->Prepare("INSERT INTO gift_activations (user_id, code, activated) VALUES (?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, gift.code).Bind(3, static_cast<std::int64_t>(now));
  insert.Run();
  ChangeBalance(*db, user_id, gift.credit, "gift " + gift.code, now);
  transaction.Commit();
  return GiftOutcome::kActivated;
}

}  // namespace kestrova::server
