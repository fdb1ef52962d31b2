#include "accounts.h"

#include <random>

#include "inbox.h"
#include "shared/security_string.h"

namespace kestrova::server {
namespace {

constexpr std::int64_t kSessionSeconds = 30 * 24 * 3600;  // a session lasts 30 days
constexpr std::size_t kSessionKeyLength = 32;
constexpr int kMaxLoginAttempts = 100;

std::string RandomText(std::random_device& random, std::string_view alphabet, std::size_t length) {
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text.push_back(alphabet[pick(random)]);
  return text;
}

constexpr std::string_view kHexDigits = "0123456789abcdef";

bool LoginTaken(Database& db, std::string_view login) {
  auto query = db.Prepare("SELECT 1 FROM accounts WHERE login = ?");
  query.Bind(1, login);
  return query.Step();
}

}  // namespace

NewAccount Accounts::Create(int affiliate_id, int lng_id, std::time_t now) {
  std::random_device random;
  const std::string alphabet = shared::PlainAlphabet();
  NewAccount account;
  account.password = RandomText(random, alphabet, shared::kCredentialLength);
  // Hashing takes long on purpose: never while holding the database.
  const std::string hash = hasher_.Hash(account.password);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  for (int attempt = 0; attempt < kMaxLoginAttempts; ++attempt) {
    account.login = RandomText(random, alphabet, shared::kCredentialLength);
    if (!LoginTaken(*db, account.login)) break;
  }
  auto insert = db->Prepare(
      "INSERT INTO accounts (login, salt, password_hash, nick, affiliate_id, lng_id, created) "
      "VALUES (?, ?, ?, ?, ?, ?, ?)");
  // An Argon2id string carries its own salt; the salt column serves old hashes only.
  insert.Bind(1, account.login).Bind(2, "").Bind(3, hash);
  insert.Bind(4, account.login).Bind(5, affiliate_id).Bind(6, lng_id).Bind(7, static_cast<std::int64_t>(now));
  insert.Run();
  account.id = static_cast<int>(db->LastInsertId());
  AddInboxNotice(*db, account.id, InboxKind::kWelcome, 0, 0, now);
  transaction.Commit();
  return account;
}

std::optional<SessionStart> Accounts::Login(std::string_view login, std::string_view password,
                                            std::string_view address, BudgetClock::time_point now) {
  SessionStart session;
  std::string salt;
  std::string stored;
  const std::optional<LoginBudget::Attempt> attempt = [&] {
    auto db = storage_.Lock();
    return budget_.Admit(*db, login, address, now);
  }();
  if (!attempt) return std::nullopt;
  bool known = false;
  {
    auto db = storage_.Lock();
    auto query = db->Prepare("SELECT id, nick, salt, password_hash FROM accounts WHERE login = ?");
    query.Bind(1, login);
    if (query.Step()) {
      known = true;
      session.user_id = static_cast<int>(query.Int(0));
      session.nick = query.Text(1);
      salt = query.Text(2);
      stored = query.Text(3);
    }
  }
  // Verified without the database lock: other requests go on meanwhile.
  PasswordCheck check = PasswordCheck::kWrong;
  if (known) {
    check = hasher_.Verify(password, stored, salt);
  } else {
    hasher_.VerifyNothing(password);
  }
  if (check == PasswordCheck::kWrong) {
    auto db = storage_.Lock();
    budget_.RecordFailure(*db, login, address, now);
    return std::nullopt;
  }
  const std::string rehashed = check == PasswordCheck::kRightButRehash ? hasher_.Hash(password) : std::string();

  std::random_device random;
  session.key = RandomText(random, kHexDigits, kSessionKeyLength);
  auto db = storage_.Lock();
  Transaction transaction(*db);
  if (!rehashed.empty()) {
    // Only the hash that was verified is replaced: a change made meanwhile wins.
    auto upgrade = db->Prepare("UPDATE accounts SET password_hash = ?, salt = '' WHERE id = ? AND password_hash = ?");
    upgrade.Bind(1, rehashed).Bind(2, session.user_id).Bind(3, stored);
    upgrade.Run();
  }
  auto insert = db->Prepare("INSERT INTO sessions (session_key, user_id, created) VALUES (?, ?, ?)");
  insert.Bind(1, session.key).Bind(2, session.user_id).Bind(3, static_cast<std::int64_t>(BudgetClock::to_time_t(now)));
  insert.Run();
  budget_.RecordSuccess(*db, login);
  transaction.Commit();
  return session;
}

std::optional<Account> Accounts::BySession(int user_id, std::string_view key, std::time_t now) {
  auto db = storage_.Lock();
  auto query = db->Prepare(
      "SELECT a.id, a.login, a.nick, a.country_code, a.operator_id, a.zone_id FROM sessions s "
      "JOIN accounts a ON a.id = s.user_id WHERE s.session_key = ? AND s.user_id = ? AND s.created > ?");
  query.Bind(1, key).Bind(2, user_id).Bind(3, static_cast<std::int64_t>(now) - kSessionSeconds);
  if (!query.Step()) return std::nullopt;
  return Account{static_cast<int>(query.Int(0)), query.Text(1), query.Text(2), query.Text(3),
                 static_cast<int>(query.Int(4)), static_cast<int>(query.Int(5))};
}

std::optional<int> Accounts::IdByLogin(std::string_view login) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT id FROM accounts WHERE login = ?");
  query.Bind(1, login);
  if (!query.Step()) return std::nullopt;
  return static_cast<int>(query.Int(0));
}

void Accounts::UpdateRegion(int user_id, std::string_view country_code, int operator_id, int zone_id, int lng_id) {
  auto db = storage_.Lock();
  auto update = db->Prepare(
      "UPDATE accounts SET country_code = ?, operator_id = ?, zone_id = ?, lng_id = ? WHERE id = ?");
  update.Bind(1, country_code).Bind(2, operator_id).Bind(3, zone_id).Bind(4, lng_id).Bind(5, user_id);
  update.Run();
}

bool Accounts::IsFavourite(int user_id, int video_id) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT 1 FROM favourites WHERE user_id = ? AND video_id = ?");
  query.Bind(1, user_id).Bind(2, video_id);
  return query.Step();
}

void Accounts::SetFavourite(int user_id, int video_id, bool favourite, std::time_t now) {
  auto db = storage_.Lock();
  if (favourite) {
    auto insert = db->Prepare("INSERT OR IGNORE INTO favourites (user_id, video_id, added) VALUES (?, ?, ?)");
    insert.Bind(1, user_id).Bind(2, video_id).Bind(3, static_cast<std::int64_t>(now));
    insert.Run();
  } else {
    auto remove = db->Prepare("DELETE FROM favourites WHERE user_id = ? AND video_id = ?");
    remove.Bind(1, user_id).Bind(2, video_id);
    remove.Run();
  }
}

std::vector<int> Accounts::Favourites(int user_id) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT video_id FROM favourites WHERE user_id = ? ORDER BY added, rowid");
  query.Bind(1, user_id);
  std::vector<int> ids;
  while (query.Step()) ids.push_back(static_cast<int>(query.Int(0)));
  return ids;
}

}  // namespace kestrova::server
