// Owners for SQLite's C handles: one connection (Database) and its prepared
// statements (Statement). Values travel only as bound parameters.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrova::server {

// A failed SQLite call: the database file is unusable or full, or a statement
// is wrong. The request that met it gets an internal-error answer.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

class Statement {
 public:
  Statement(sqlite3* db, std::string_view sql);

  // Parameters are numbered from 1, in the order of the "?" in the text.
  Statement& Bind(int index, std::int64_t value);
  Statement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
  Statement& Bind(int index, std::string_view value);
  Statement& Bind(int index, const char* value) { return Bind(index, std::string_view(value)); }
  Statement& Bind(int index, const std::string& value) { return Bind(index, std::string_view(value)); }

  // Advances to the next row; false when there is none (or the statement
  // changed data and is done).
  bool Step();
  // Runs a statement that returns no rows.
  void Run();

  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3* db_;
  std::unique_ptr<sqlite3_stmt, SqliteCloser> statement_;
};

class Database {
 public:
  // Opens (creating when missing) the database file.
  explicit Database(const std::string& file);

  Statement Prepare(std::string_view sql) { return Statement(db_.get(), sql); }
  void Execute(const char* sql);
  std::int64_t LastInsertId() const;
  int Changes() const;

 private:
  std::unique_ptr<sqlite3, SqliteCloser> db_;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back unless Commit() was reached.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit();

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace kestrova::server
