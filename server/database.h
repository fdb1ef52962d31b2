// Owners for SQLite's C handles: one connection (Database) and its prepared
// statements (Statement). Values travel only as bound parameters. Each SQL
// text is compiled once per connection and kept: requests repeat the same
// few statements, and compiling them is most of a short request's work.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

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

// Gives a statement back when its user is done: a kept one is reset for its
// next use, any other one finalised.
struct StatementRelease {
  bool* in_use = nullptr;  // the kept statement's flag; nullptr: not kept
  void operator()(sqlite3_stmt* statement) const;
};

class Statement {
 public:
  // A statement of its own, finalised at the end.
  Statement(sqlite3* db, std::string_view sql);
  // A kept statement lent until the end of this object.
  Statement(sqlite3* db, sqlite3_stmt* kept, bool* in_use);

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
  std::unique_ptr<sqlite3_stmt, StatementRelease> statement_;
};

class Database {
 public:
  // Opens (creating when missing) the database file.
  explicit Database(const std::string& file);

  // The kept statement of this text (compiled on its first use). While it is
  // lent out, the same text gets a statement of its own.
  Statement Prepare(std::string_view sql);
  void Execute(const char* sql);
  std::int64_t LastInsertId() const;
  int Changes() const;

 private:
  struct KeptStatement {
    std::unique_ptr<sqlite3_stmt, SqliteCloser> statement;
    bool in_use = false;
  };
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  // Declared first, so destroyed last: the kept statements are finalised
  // before their connection closes.
  std::unique_ptr<sqlite3, SqliteCloser> db_;
  // Like the connection itself, used by one thread at a time: the owner's
  // lock (Storage::Use) guards it.
  std::unordered_map<std::string, KeptStatement, TextHash, std::equal_to<>> kept_;
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
