#include "database.h"

namespace kestrova::server {
namespace {

// A second server process on the same file waits this long for a lock.
constexpr int kBusyTimeoutMs = 5000;

[[noreturn]] void Fail(sqlite3* db, std::string_view what) {
  throw DatabaseError(std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

}  // namespace

Statement::Statement(sqlite3* db, std::string_view sql) : db_(db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK) {
    sqlite3_finalize(raw);
    Fail(db, "prepare");
  }
  statement_.reset(raw);
}

Statement::Statement(sqlite3* db, sqlite3_stmt* kept, bool* in_use)
    : db_(db), statement_(kept, StatementRelease{in_use}) {
  *in_use = true;
}

void StatementRelease::operator()(sqlite3_stmt* statement) const {
  if (in_use == nullptr) {
    sqlite3_finalize(statement);
    return;
  }
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  *in_use = false;
}

Statement& Statement::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(statement_.get(), index, value) != SQLITE_OK) Fail(db_, "bind");
  return *this;
}

Statement& Statement::Bind(int index, std::string_view value) {
  // An empty view may have no data pointer, which SQLite would bind as NULL:
  // an empty text is still a text.
  const char* text = value.data() != nullptr ? value.data() : "";
  if (sqlite3_bind_text(statement_.get(), index, text, static_cast<int>(value.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
    Fail(db_, "bind");
  }
  return *this;
}

bool Statement::Step() {
  const int rc = sqlite3_step(statement_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(db_, "step");
}

void Statement::Run() {
  while (Step()) {
  }
}

std::int64_t Statement::Int(int column) const { return sqlite3_column_int64(statement_.get(), column); }

std::string Statement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_.get(), column);
  const int size = sqlite3_column_bytes(statement_.get(), column);
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

bool Statement::IsNull(int column) const {
  return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL;
}

Database::Database(const std::string& file) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  db_.reset(raw);
  if (rc != SQLITE_OK) Fail(raw, "open " + file);
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
}

Statement Database::Prepare(std::string_view sql) {
  auto it = kept_.find(sql);
  if (it == kept_.end()) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db_.get(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                           nullptr) != SQLITE_OK) {
      sqlite3_finalize(raw);
      Fail(db_.get(), "prepare");
    }
    it = kept_.emplace(std::string(sql), KeptStatement{std::unique_ptr<sqlite3_stmt, SqliteCloser>(raw), false}).first;
  }
  if (it->second.in_use) return Statement(db_.get(), sql);
  return Statement(db_.get(), it->second.statement.get(), &it->second.in_use);
}

void Database::Execute(const char* sql) {
  if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db_.get(), "execute");
}

std::int64_t Database::LastInsertId() const { return sqlite3_last_insert_rowid(db_.get()); }

int Database::Changes() const { return sqlite3_changes(db_.get()); }

Transaction::Transaction(Database& db) : db_(db) { db_.Execute("BEGIN IMMEDIATE"); }

Transaction::~Transaction() {
  if (done_) return;
  try {
    db_.Execute("ROLLBACK");
  } catch (const DatabaseError&) {
    // The transaction is gone already (the connection rolled it back itself).
  }
}

void Transaction::Commit() {
  db_.Execute("COMMIT");
  done_ = true;
}

}  // namespace kestrova::server
