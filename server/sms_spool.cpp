#include "sms_spool.h"

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

fs::path FreeName(const fs::path& folder, const fs::path& name) {
  fs::path target = folder / name;
  std::error_code ec;
  for (int n = 1; fs::exists(target, ec); ++n) target = folder / (name.string() + "." + std::to_string(n));
  return target;
}

}  // namespace

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

int SmsSpool::Scan() {
  std::lock_guard lock(scan_mutex_);
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(outgoing_, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsCandidate(*it)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());  // oldest names first for time-stamped names
  for (const auto& file : files) Handle(file);
  return static_cast<int>(files.size());
}

void SmsSpool::Handle(const fs::path& file) {
  // Claim the file first: once it has left the spool it cannot be paid twice.
  const fs::path claimed = FreeName(sent_, file.filename());
  std::error_code ec;
  fs::rename(file, claimed, ec);
  if (ec) {
    std::cerr << "kestrova-server: cannot move SMS " << file << " to " << sent_ << ": " << ec.message() << "\n";
    return;
  }
  std::optional<SpoolMessage> message;
  if (fs::file_size(claimed, ec) <= kMaxMessageFileSize && !ec) {
    std::ifstream in(claimed, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    message = ParseSpoolMessage(content);
  }
  SmsOutcome outcome = SmsOutcome::kNotUnderstood;
  if (message) {
    try {
      outcome = payments_.Received(message->to, message->text, claimed.filename().string(), std::time(nullptr));
    } catch (const std::exception& e) {
      // The database failed: put the message back so that a later scan pays it.
      std::cerr << "kestrova-server: SMS " << claimed << " not handled: " << e.what() << "\n";
      fs::rename(claimed, FreeName(outgoing_, file.filename()), ec);
      return;
    }
  }
  if (outcome == SmsOutcome::kNotUnderstood) {
    std::cerr << "kestrova-server: SMS " << claimed.filename() << " pays nothing, moved to " << failed_ << "\n";
    fs::rename(claimed, FreeName(failed_, file.filename()), ec);
  }
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
