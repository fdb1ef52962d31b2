#include "inbox.h"

namespace kestrova::server {
namespace {

constexpr std::string_view KindName(InboxKind kind) {
  switch (kind) {
    case InboxKind::kCredit: return "credit";
    case InboxKind::kSubscription: return "subscription";
    case InboxKind::kWelcome:
    default: return "welcome";
  }
}

InboxKind KindOf(std::string_view name) {
  if (name == "credit") return InboxKind::kCredit;
  if (name == "subscription") return InboxKind::kSubscription;
  return InboxKind::kWelcome;
}

}  // namespace

void AddInboxNotice(Database& db, int user_id, InboxKind kind, int amount, int item_id, std::time_t now) {
  auto insert = db.Prepare("INSERT INTO inbox (user_id, kind, amount, item_id, created) VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, KindName(kind)).Bind(3, amount).Bind(4, item_id);
  insert.Bind(5, static_cast<std::int64_t>(now));
  insert.Run();
}

std::vector<InboxNotice> Inbox::Notices(int user_id) {
  auto db = storage_.Lock();
  auto query = db->Prepare("SELECT id, kind, amount, item_id, created FROM inbox WHERE user_id = ? ORDER BY id DESC");
  query.Bind(1, user_id);
  std::vector<InboxNotice> notices;
  while (query.Step()) {
    notices.push_back({static_cast<int>(query.Int(0)), KindOf(query.Text(1)), static_cast<int>(query.Int(2)),
                       static_cast<int>(query.Int(3)), static_cast<std::time_t>(query.Int(4))});
  }
  return notices;
}

void Inbox::AddFeedback(int user_id, std::string_view email, std::string_view phone, std::string_view text,
                        std::time_t now) {
  auto db = storage_.Lock();
  auto insert = db->Prepare("INSERT INTO feedback (user_id, email, phone, text, received) VALUES (?, ?, ?, ?, ?)");
  insert.Bind(1, user_id).Bind(2, email).Bind(3, phone).Bind(4, text).Bind(5, static_cast<std::int64_t>(now));
  insert.Run();
}

}  // namespace kestrova::server
