// How many stream set-ups of each account wait for their segment's time,
// parked in the front end. An account may have only a few waiting at once,
// so that nobody can fill the server with waiting requests.
#pragma once

#include <map>
#include <memory>
#include <mutex>

namespace kestrova::server {

class WaitingSetups {
 public:
  static constexpr int kMaxPerAccount = 2;

  // A place for one more waiting set-up of the account, given back when the
  // returned hold goes (the set-up runs, or its client leaves); nullptr when
  // the account has kMaxPerAccount waiting already. The holds keep the
  // counts alive, so they may outlive this object.
  std::shared_ptr<void> Take(int user_id);
  int Waiting(int user_id) const;

 private:
  struct Counts {
    mutable std::mutex mutex;  // guards waiting
    std::map<int, int> waiting;  // by user id; no entry for none
  };
  std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
};

}  // namespace kestrova::server
