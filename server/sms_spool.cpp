#include "sms_spool.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>

#include "platform/file_descriptor.h"
#include "sms_file_key.h"

namespace kestrova::server {
namespace fs = std::filesystem;
namespace {

// A message is one SMS; anything this large is not one.
constexpr std::uintmax_t kMaxMessageFileSize = 64 * 1024;

bool IsHeaderKey(std::string_view line, std::string_view key) {
  if (line.size() <= key.size() || line[key.size()] != ':') return false;
  return std::equal(key.begin(), key.end(), line.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Files still being written, or locked, are left for a later scan.
bool IsCandidate(const fs::directory_entry& entry) {
  const std::string name = entry.path().filename().string();
  if (name.empty() || name.front() == '.' || name.back() == '~') return false;
  for (const std::string_view suffix : {".LOCK", ".tmp", ".part"}) {
    if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      return false;
    }
  }
  std::error_code ec;
  if (!entry.is_regular_file(ec)) return false;
  return !fs::exists(entry.path().string() + ".LOCK", ec);
}

std::vector<fs::path> Candidates(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsCandidate(*it)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());  // oldest names first for time-stamped names
  return files;
}

std::int64_t Milliseconds(std::chrono::system_clock::time_point time) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

std::int64_t Nanoseconds(const timespec& time) {
  constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
  return static_cast<std::int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

enum class ReadOutcome {
  kRead,        // content, key and time are set
  kGone,        // taken away meanwhile
  kUnreadable,  // error says why
  kTooLarge     // no message by its size
};

struct MessageFile {
  ReadOutcome outcome = ReadOutcome::kRead;
  int error = 0;
  std::string content;
  std::string content_sha256_hex;
  std::int64_t modified_seconds = 0;
  std::string key;
  std::int64_t sent_ms = 0;
};

// The content of a message file with its key and own time (sms_file_key.h).
MessageFile ReadMessageFile(const fs::path& file) {
  MessageFile message;
  const auto failed = [&message] {
    message.error = errno;
    message.outcome = errno == ENOENT ? ReadOutcome::kGone : ReadOutcome::kUnreadable;
    return message;
  };
  platform::FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0) return failed();
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxMessageFileSize) {
    message.outcome = ReadOutcome::kTooLarge;
    return message;
  }
  char block[4096];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), block, sizeof block);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      return failed();
    }
    message.content.append(block, static_cast<std::size_t>(got));
    if (message.content.size() > kMaxMessageFileSize) {
      message.outcome = ReadOutcome::kTooLarge;
      return message;
    }
  }
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(message.content.data()), message.content.size());
  char hex[2 * crypto_hash_sha256_BYTES + 1];
  sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
  const std::string name = file.filename().string();
  message.content_sha256_hex = hex;
  message.modified_seconds = info.st_mtim.tv_sec;
  message.key = SmsFileKey(hex, name, message.modified_seconds);
  constexpr std::int64_t kNanosecondsPerMillisecond = 1'000'000;
  message.sent_ms = SmsSentTime(name, Nanoseconds(info.st_mtim) / kNanosecondsPerMillisecond,
                                Milliseconds(std::chrono::system_clock::now()));
  return message;
}

fs::path FreeName(const fs::path& folder, const fs::path& name) {
  fs::path target = folder / name;
  std::error_code ec;
  for (int n = 1; fs::exists(target, ec); ++n) target = folder / (name.string() + "." + std::to_string(n));
  return target;
}

// The spool folder, normalised, with its siblings sent/ and failed/ made.
fs::path MadeSpool(fs::path outgoing) {
  outgoing = outgoing.lexically_normal();
  if (outgoing.filename().empty()) outgoing = outgoing.parent_path();
  std::error_code ec;
  for (const fs::path& folder : {outgoing, outgoing.parent_path() / "sent", outgoing.parent_path() / "failed"}) {
    fs::create_directories(folder, ec);
  }
  return outgoing;
}

}  // namespace

std::optional<SpoolStep> SpoolStepNamed(std::string_view name) {
  if (name == "sms-before-commit") return SpoolStep::kBeforeCommit;
  if (name == "sms-committed") return SpoolStep::kCommitted;
  if (name == "sms-moved") return SpoolStep::kMoved;
  return std::nullopt;
}

std::optional<SpoolMessage> ParseSpoolMessage(std::string_view content) {
  SpoolMessage message;
  bool have_to = false;
  std::size_t position = 0;
  while (position < content.size()) {
    const std::size_t end = content.find('\n', position);
    if (end == std::string_view::npos) return std::nullopt;  // headers never ended
    const std::string_view line = TrimBlanks(content.substr(position, end - position));
    position = end + 1;
    if (line.empty()) {
      if (!have_to) return std::nullopt;
      message.text = std::string(content.substr(position));
      return message;
    }
    if (IsHeaderKey(line, "To")) {
      message.to = std::string(TrimBlanks(line.substr(3)));
      have_to = !message.to.empty();
    }
  }
  return std::nullopt;
}

SmsSpool::SmsSpool(fs::path outgoing, SmsPayments& payments)
    : outgoing_(MadeSpool(std::move(outgoing))),
      sent_(outgoing_.parent_path() / "sent"),
      failed_(outgoing_.parent_path() / "failed"),
      payments_(payments),
      watch_(outgoing_) {}

SmsSpool::~SmsSpool() {
  {
    std::lock_guard lock(stop_mutex_);
    stopping_ = true;
  }
  stop_signal_.notify_all();
  if (thread_.joinable()) thread_.join();
}

int SmsSpool::Recover() {
  std::lock_guard lock(scan_mutex_);
  int returned = 0;
  for (const auto& file : Candidates(sent_)) {
    const MessageFile message = ReadMessageFile(file);
    if (message.outcome != ReadOutcome::kRead) continue;
    const std::string name = file.filename().string();
    std::vector<std::string> keys;
    for (const std::string_view former : FormerNames(name)) {
      keys.push_back(SmsFileKey(message.content_sha256_hex, former, message.modified_seconds));
    }
    if (payments_.Known(keys, name)) continue;
    std::cerr << "kestrova-server: SMS " << file.filename() << " was never paid, back to the spool\n";
    std::error_code ec;
    fs::rename(file, FreeName(outgoing_, file.filename()), ec);
    if (!ec) ++returned;
  }
  return returned;
}

int SmsSpool::Scan() {
  std::lock_guard lock(scan_mutex_);
  watch_.Drain();
  std::map<std::string, Sighting> seen;
  std::set<std::string> still_unreadable;
  int handled = 0;
  for (const auto& file : Candidates(outgoing_)) {
    const std::string name = file.filename().string();
    if (!Complete(file, seen)) continue;
    if (Handle(file)) {
      ++handled;
    } else if (unreadable_.contains(name)) {
      still_unreadable.insert(name);
    }
  }
  sightings_ = std::move(seen);
  unreadable_ = std::move(still_unreadable);
  return handled;
}

bool SmsSpool::Complete(const fs::path& file, std::map<std::string, Sighting>& seen) {
  const std::string name = file.filename().string();
  if (watch_.ArrivedWhole(name)) return true;
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return false;
  const auto now = std::chrono::system_clock::now();
  const auto modified = std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(Nanoseconds(info.st_mtim))));
  if (now - modified >= kSettleTime) return true;
  // Recently changed, or changed "in the future" by a clock set back or a
  // copy from another machine: complete once it stays as it is.
  const auto steady_now = std::chrono::steady_clock::now();
  Sighting sighting{Nanoseconds(info.st_mtim), static_cast<std::uintmax_t>(info.st_size), steady_now};
  if (const auto last = sightings_.find(name);
      last != sightings_.end() && last->second.modified_ns == sighting.modified_ns && last->second.size == sighting.size) {
    sighting.since = last->second.since;
  }
  seen[name] = sighting;
  return steady_now - sighting.since >= kSettleTime;
}

bool SmsSpool::Handle(const fs::path& file) {
  const MessageFile read = ReadMessageFile(file);
  if (read.outcome == ReadOutcome::kGone) return false;
  if (read.outcome == ReadOutcome::kUnreadable) {
    // Left in place (a mode or disk problem an operator can mend) and tried
    // again at every scan; said once, not at every scan.
    if (unreadable_.insert(file.filename().string()).second) {
      std::cerr << "kestrova-server: cannot read SMS " << file.filename() << ": " << std::strerror(read.error)
                << "; left in the spool and tried again\n";
    }
    return false;
  }
  std::optional<SpoolMessage> message;
  if (read.outcome == ReadOutcome::kRead) message = ParseSpoolMessage(read.content);
  SmsOutcome outcome = SmsOutcome::kNotUnderstood;
  if (message) {
    try {
      outcome = payments_.Received(message->to, message->text, read.key, file.filename().string(), read.sent_ms,
                                   Milliseconds(std::chrono::system_clock::now()),
                                   [this] { Reached(SpoolStep::kBeforeCommit); });
    } catch (const std::exception& e) {
      // The database failed: the file stays in the spool and a later scan pays it.
      std::cerr << "kestrova-server: SMS " << file.filename() << " not handled: " << e.what() << "\n";
      return false;
    }
  }
  Reached(SpoolStep::kCommitted);
  if (outcome == SmsOutcome::kNotUnderstood) {
    std::cerr << "kestrova-server: SMS " << file.filename() << " pays nothing, moved to " << failed_ << "\n";
    Move(file, failed_);
  } else {
    Move(file, sent_);
  }
  Reached(SpoolStep::kMoved);
  return true;
}

void SmsSpool::Move(const fs::path& file, const fs::path& folder) {
  std::error_code ec;
  fs::rename(file, FreeName(folder, file.filename()), ec);
  // Left in the spool, the file is met again and only moved: its key is known.
  if (ec) std::cerr << "kestrova-server: cannot move SMS " << file << " to " << folder << ": " << ec.message() << "\n";
}

void SmsSpool::Reached(SpoolStep step) const {
  if (fault_hook_) fault_hook_(step);
}

void SmsSpool::Start(std::chrono::milliseconds period) {
  thread_ = std::thread([this, period] { Run(period); });
}

// The background scanner's thread.
void SmsSpool::Run(std::chrono::milliseconds period) {
  std::unique_lock lock(stop_mutex_);
  while (!stopping_) {
    lock.unlock();
    Scan();
    lock.lock();
    stop_signal_.wait_for(lock, period, [this] { return stopping_; });
  }
}

}  // namespace kestrova::server
