#include "sms_spool.h"

#include <sodium.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

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

struct MessageFile {
  std::string content;
  std::string key;
};

// The content and the stable key of a message file: its inode, modification
// time and size, and a hash of its content. A move to another folder keeps
// the key; a second message with the same text (and even the same name) in
// a new file gets another. nullopt when the file cannot be read or is no
// message by its size.
std::optional<MessageFile> ReadMessageFile(const fs::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || static_cast<std::uintmax_t>(info.st_size) > kMaxMessageFileSize) {
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  MessageFile message;
  message.content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  unsigned char digest[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(digest, reinterpret_cast<const unsigned char*>(message.content.data()), message.content.size());
  char hex[2 * crypto_hash_sha256_BYTES + 1];
  sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
  message.key = std::to_string(info.st_ino) + "-" + std::to_string(info.st_mtim.tv_sec) + "." +
                std::to_string(info.st_mtim.tv_nsec) + "-" + std::to_string(info.st_size) + "-" + hex;
  return message;
}

fs::path FreeName(const fs::path& folder, const fs::path& name) {
  fs::path target = folder / name;
  std::error_code ec;
  for (int n = 1; fs::exists(target, ec); ++n) target = folder / (name.string() + "." + std::to_string(n));
  return target;
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

SmsSpool::SmsSpool(fs::path outgoing, SmsPayments& payments) : payments_(payments) {
  outgoing_ = outgoing.lexically_normal();
  if (outgoing_.filename().empty()) outgoing_ = outgoing_.parent_path();
  sent_ = outgoing_.parent_path() / "sent";
  failed_ = outgoing_.parent_path() / "failed";
  std::error_code ec;
  fs::create_directories(outgoing_, ec);
  fs::create_directories(sent_, ec);
  fs::create_directories(failed_, ec);
}

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
    const auto message = ReadMessageFile(file);
    if (!message || payments_.Known(message->key, file.filename().string())) continue;
    std::cerr << "kestrova-server: SMS " << file.filename() << " was never paid, back to the spool\n";
    std::error_code ec;
    fs::rename(file, FreeName(outgoing_, file.filename()), ec);
    if (!ec) ++returned;
  }
  return returned;
}

int SmsSpool::Scan() {
  std::lock_guard lock(scan_mutex_);
  const std::vector<fs::path> files = Candidates(outgoing_);
  for (const auto& file : files) Handle(file);
  return static_cast<int>(files.size());
}

void SmsSpool::Handle(const fs::path& file) {
  const auto read = ReadMessageFile(file);
  std::optional<SpoolMessage> message;
  if (read) {
    message = ParseSpoolMessage(read->content);
  } else {
    std::error_code ec;
    if (!fs::exists(file, ec)) return;  // taken away meanwhile
  }
  SmsOutcome outcome = SmsOutcome::kNotUnderstood;
  if (message) {
    try {
      outcome = payments_.Received(message->to, message->text, read->key, file.filename().string(),
                                   std::time(nullptr), [this] { Reached(SpoolStep::kBeforeCommit); });
    } catch (const std::exception& e) {
      // The database failed: the file stays in the spool and a later scan pays it.
      std::cerr << "kestrova-server: SMS " << file.filename() << " not handled: " << e.what() << "\n";
      return;
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
