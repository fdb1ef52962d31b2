// Who a spool message is, wherever its file lies: the same message moved to
// sent/, put back by a restore, or copied with its times kept (cp -a, tar,
// rsync -a) keeps its key and its time; a second message with the same text
// gets another. The file's place on disk (its inode) and its nanoseconds
// play no part, since a copy changes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrova::server {

// The names a file in sent/ may have had in the spool: its own, then without
// each ".<n>" ending that the spool adds when a name is taken there
// ("a.1.2" -> "a.1.2", "a.1", "a").
std::vector<std::string_view> FormerNames(std::string_view name);

// The send time in milliseconds that the client's own file names carry
// ("kestrova-<milliseconds>-<unique>", also with ".<n>" endings); nullopt for
// other names.
std::optional<std::int64_t> ClientSendTime(std::string_view name);

// The key of a message: the SHA-256 of its whole content (hex) and its name
// in the spool; for names that carry no send time, also the file's
// modification time in whole seconds.
std::string SmsFileKey(std::string_view content_sha256_hex, std::string_view name, std::int64_t modified_seconds);

// The message's own time in milliseconds: the client's send time, else the
// file's modification time; a time in the future counts as now.
std::int64_t SmsSentTime(std::string_view name, std::int64_t modified_ms, std::int64_t now_ms);

// Keys recorded by earlier versions: "<inode>-<seconds>.<nanoseconds>-<size>-<sha256 hex>".
struct InodeKey {
  std::int64_t modified_seconds = 0;
  std::string content_sha256_hex;
};
std::optional<InodeKey> ParseInodeKey(std::string_view key);

}  // namespace kestrova::server
