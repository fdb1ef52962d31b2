#include "storage.h"

namespace kestrova::server {
namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts (
  id INTEGER PRIMARY KEY,
  login TEXT NOT NULL UNIQUE,
  salt TEXT NOT NULL,
  password_hash TEXT NOT NULL,
  nick TEXT NOT NULL,
  balance INTEGER NOT NULL DEFAULT 0,
  affiliate_id INTEGER NOT NULL DEFAULT 0,
  lng_id INTEGER NOT NULL DEFAULT 2,
  country_code TEXT NOT NULL DEFAULT '',
  operator_id INTEGER NOT NULL DEFAULT -1,
  zone_id INTEGER NOT NULL DEFAULT -1,
  created INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS sessions (
  session_key TEXT PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  created INTEGER NOT NULL
);
-- Failed log-ins per login ("login:<name>") and per caller address
-- ("addr:<address>"); times in milliseconds since the epoch.
CREATE TABLE IF NOT EXISTS login_budgets (
  subject TEXT PRIMARY KEY,
  failures INTEGER NOT NULL,
  last_failure INTEGER NOT NULL,
  refused_until INTEGER NOT NULL
);
CREATE INDEX IF NOT EXISTS login_budgets_quiet ON login_budgets (max(last_failure, refused_until));
CREATE TABLE IF NOT EXISTS ledger (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  amount INTEGER NOT NULL,
  reason TEXT NOT NULL,
  created INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS favourites (
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  video_id INTEGER NOT NULL,
  added INTEGER NOT NULL,
  PRIMARY KEY (user_id, video_id)
);
CREATE TABLE IF NOT EXISTS purchases (
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  video_id INTEGER NOT NULL,
  kind TEXT NOT NULL,
  price INTEGER NOT NULL,
  bought INTEGER NOT NULL,
  PRIMARY KEY (user_id, video_id, kind)
);
CREATE TABLE IF NOT EXISTS subscriptions (
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  item_id INTEGER NOT NULL,
  until INTEGER NOT NULL,
  PRIMARY KEY (user_id, item_id)
);
CREATE TABLE IF NOT EXISTS gift_activations (
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  code TEXT NOT NULL,
  activated INTEGER NOT NULL,
  PRIMARY KEY (user_id, code)
);
CREATE TABLE IF NOT EXISTS inbox (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  kind TEXT NOT NULL,
  amount INTEGER NOT NULL DEFAULT 0,
  item_id INTEGER NOT NULL DEFAULT 0,
  created INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS feedback (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  email TEXT NOT NULL,
  phone TEXT NOT NULL,
  text TEXT NOT NULL,
  received INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS sms_reports (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  short_number TEXT NOT NULL,
  text TEXT NOT NULL,
  status INTEGER NOT NULL,
  reported INTEGER NOT NULL,
  matched INTEGER NOT NULL DEFAULT 0  -- 0 open, 1 paired with its SMS, 2 retired
);
CREATE TABLE IF NOT EXISTS sms_received (
  id INTEGER PRIMARY KEY,
  short_number TEXT NOT NULL,
  text TEXT NOT NULL,
  file TEXT NOT NULL,
  received INTEGER NOT NULL,
  user_id INTEGER,
  file_key TEXT  -- identifies the spool file; NULL in rows of the first versions
);
)sql";

// After the tables exist (databases of the first versions lack file_key).
constexpr const char* kIndexes = R"sql(
CREATE UNIQUE INDEX IF NOT EXISTS sms_received_file_key ON sms_received (file_key);
CREATE INDEX IF NOT EXISTS sms_reports_open ON sms_reports (user_id, matched);
PRAGMA user_version = 2;
)sql";

bool HasColumn(Database& db, const char* table, const char* column) {
  auto query = db.Prepare("SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
  query.Bind(1, table).Bind(2, column);
  return query.Step();
}

}  // namespace

Storage::Storage(const std::string& file) : db_(file) {
  db_.Execute("PRAGMA journal_mode = WAL");
  db_.Execute("PRAGMA synchronous = NORMAL");
  db_.Execute("PRAGMA foreign_keys = ON");
  db_.Execute(kSchema);
  if (!HasColumn(db_, "sms_received", "file_key")) db_.Execute("ALTER TABLE sms_received ADD COLUMN file_key TEXT");
  db_.Execute(kIndexes);
}

}  // namespace kestrova::server
