#include "storage.h"

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "sms_file_key.h"

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
-- matched: 0 open, 1 paired with its SMS, 2 retired (by earlier versions);
-- reported_ms: when the report was filed, in milliseconds since 1970.
CREATE TABLE IF NOT EXISTS sms_reports (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL REFERENCES accounts(id),
  short_number TEXT NOT NULL,
  text TEXT NOT NULL,
  status INTEGER NOT NULL,
  reported INTEGER NOT NULL,
  matched INTEGER NOT NULL DEFAULT 0,
  reported_ms INTEGER
);
-- file_key: identifies the message (sms_file_key.h), NULL in rows of the
-- first versions; sent_ms: the message's own time, in milliseconds since 1970.
CREATE TABLE IF NOT EXISTS sms_received (
  id INTEGER PRIMARY KEY,
  short_number TEXT NOT NULL,
  text TEXT NOT NULL,
  file TEXT NOT NULL,
  received INTEGER NOT NULL,
  user_id INTEGER,
  file_key TEXT,
  sent_ms INTEGER
);
)sql";

// After the tables exist and have every column.
constexpr const char* kIndexes = R"sql(
CREATE UNIQUE INDEX IF NOT EXISTS sms_received_file_key ON sms_received (file_key);
CREATE INDEX IF NOT EXISTS sms_received_waiting ON sms_received (short_number, sent_ms) WHERE user_id IS NULL;
DROP INDEX IF EXISTS sms_reports_open;
CREATE INDEX IF NOT EXISTS sms_reports_filed ON sms_reports (user_id, reported_ms);
CREATE INDEX IF NOT EXISTS sms_reports_waiting ON sms_reports (short_number, matched, reported_ms);
)sql";

// Version 3 keys SMS by content, name and time instead of the file's inode, and
// keeps message and report times in milliseconds.
constexpr int kSchemaVersion = 3;
constexpr std::int64_t kMillisecondsPerSecond = 1000;

void AddColumnIfMissing(Database& db, const std::string& table, const std::string& column, const char* type) {
  auto query = db.Prepare("SELECT 1 FROM pragma_table_info(?) WHERE name = ?");
  query.Bind(1, table).Bind(2, column);
  if (!query.Step()) db.Execute(("ALTER TABLE " + table + " ADD COLUMN " + column + " " + type).c_str());
}

int SchemaVersion(Database& db) {
  auto query = db.Prepare("PRAGMA user_version");
  return query.Step() ? static_cast<int>(query.Int(0)) : 0;
}

struct ReceivedRow {
  std::int64_t id = 0;
  std::string file;
  std::string file_key;
  std::int64_t received = 0;
};

// Rows of earlier versions get the key the spool now computes for the same
// message (their file name, the content hash and the modification seconds
// are all in the old row), so an upgraded server pays nothing twice, and
// their times in milliseconds. A row whose new key another row already has
// names a message that was paid twice before; it keeps its old key.
void MigrateSmsRecords(Database& db) {
  Transaction transaction(db);
  db.Execute("UPDATE sms_reports SET reported_ms = reported * 1000 WHERE reported_ms IS NULL");
  std::vector<ReceivedRow> rows;
  {
    auto select = db.Prepare("SELECT id, file, IFNULL(file_key, ''), received FROM sms_received WHERE sent_ms IS NULL ORDER BY id");
    while (select.Step()) rows.push_back({select.Int(0), select.Text(1), select.Text(2), select.Int(3)});
  }
  int paid_twice = 0;
  for (const ReceivedRow& row : rows) {
    const std::int64_t received_ms = row.received * kMillisecondsPerSecond;
    std::int64_t sent_ms = received_ms;
    if (const auto old_key = ParseInodeKey(row.file_key)) {
      sent_ms = SmsSentTime(row.file, old_key->modified_seconds * kMillisecondsPerSecond, received_ms);
      auto rekey = db.Prepare("UPDATE OR IGNORE sms_received SET file_key = ? WHERE id = ?");
      rekey.Bind(1, SmsFileKey(old_key->content_sha256_hex, row.file, old_key->modified_seconds)).Bind(2, row.id);
      rekey.Run();
      if (db.Changes() == 0) ++paid_twice;
    }
    auto time = db.Prepare("UPDATE sms_received SET sent_ms = ? WHERE id = ?");
    time.Bind(1, sent_ms).Bind(2, row.id);
    time.Run();
  }
  db.Execute(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
  transaction.Commit();
  if (paid_twice > 0) {
    std::cerr << "kestrova-server: " << paid_twice
              << " recorded SMS repeat an earlier record of the same message (paid twice before this version)\n";
  }
}

}  // namespace

Storage::Storage(const std::string& file) : db_(file) {
  db_.Execute("PRAGMA journal_mode = WAL");
  db_.Execute("PRAGMA synchronous = NORMAL");
  db_.Execute("PRAGMA foreign_keys = ON");
  db_.Execute(kSchema);
  // Databases of earlier versions lack the newer columns.
  AddColumnIfMissing(db_, "sms_received", "file_key", "TEXT");
  AddColumnIfMissing(db_, "sms_received", "sent_ms", "INTEGER");
  AddColumnIfMissing(db_, "sms_reports", "reported_ms", "INTEGER");
  if (SchemaVersion(db_) < kSchemaVersion) MigrateSmsRecords(db_);
  db_.Execute(kIndexes);
}

}  // namespace kestrova::server
