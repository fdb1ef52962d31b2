// Messages between the service and one account: notices the service leaves for
// the subscriber (welcome, credit received, subscription started) and the
// feedback the subscriber sends.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "storage.h"

namespace kestrova::server {

enum class InboxKind { kWelcome, kCredit, kSubscription };

struct InboxNotice {
  int id = 0;
  InboxKind kind = InboxKind::kWelcome;
  int amount = 0;   // credits, or days of a subscription
  int item_id = 0;  // the subscribed channel or package
  std::time_t created = 0;
};

// Records a notice inside the caller's locked use of the database, so that it
// lands in the same transaction as the change it reports.
void AddInboxNotice(Database& db, int user_id, InboxKind kind, int amount, int item_id, std::time_t now);

class Inbox {
 public:
  explicit Inbox(Storage& storage) : storage_(storage) {}

  // Newest first.
  std::vector<InboxNotice> Notices(int user_id);
  void AddFeedback(int user_id, std::string_view email, std::string_view phone, std::string_view text,
                   std::time_t now);

 private:
  Storage& storage_;
};

}  // namespace kestrova::server
