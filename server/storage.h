// The server's state in one SQLite database file: accounts, sessions,
// balances, purchases, subscriptions, favourites, messages, feedback and SMS
// payments. One connection, used by one request at a time.
#pragma once

#include <mutex>
#include <string>

#include "database.h"

namespace kestrova::server {

class Storage {
 public:
  // Opens or creates the file and brings its tables up to date.
  explicit Storage(const std::string& file);

  // Exclusive use of the connection while the returned object lives.
  class Use {
   public:
    explicit Use(Storage& storage) : lock_(storage.mutex_), db_(storage.db_) {}
    Database& operator*() const { return db_; }
    Database* operator->() const { return &db_; }

   private:
    std::unique_lock<std::mutex> lock_;
    Database& db_;
  };

  Use Lock() { return Use(*this); }

 private:
  std::mutex mutex_;  // guards db_
  Database db_;
};

}  // namespace kestrova::server
