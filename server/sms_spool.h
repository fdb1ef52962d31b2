// Reads the outgoing SMS spool that the client writes (smstools format: a
// "To: <number>" header, other headers, a blank line, the UTF-8 text) and hands
// each message to the SMS payments, as the operator's network would deliver it.
// A file is read once it is complete: renamed into the spool (the client's way)
// or unchanged for a settle time. One that cannot be read stays in the spool
// and is tried again at every scan. A message is paid and its key (sms_file_key.h)
// recorded in one transaction; only then is the file moved to the spool's
// sibling folder "sent" (or to "failed" when it pays nothing). A file met again
// after a crash between the two steps, or brought back by a restore, is
// recognised by its key and only moved.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "sms_payments.h"
#include "spool_watch.h"

namespace kestrova::server {

struct SpoolMessage {
  std::string to;
  std::string text;
};

// nullopt when the file has no "To:" header or no blank line after the headers.
std::optional<SpoolMessage> ParseSpoolMessage(std::string_view content);

// The points of handling one message file, for fault injection.
enum class SpoolStep {
  kBeforeCommit,  // the payment is written, its transaction not yet committed
  kCommitted,     // committed, the file still in the spool
  kMoved          // the file is in sent/ or failed/
};
using SpoolFaultHook = std::function<void(SpoolStep)>;

// "sms-before-commit", "sms-committed", "sms-moved"; nullopt for other names.
std::optional<SpoolStep> SpoolStepNamed(std::string_view name);

class SmsSpool {
 public:
  SmsSpool(std::filesystem::path outgoing, SmsPayments& payments);
  ~SmsSpool();
  SmsSpool(const SmsSpool&) = delete;
  SmsSpool& operator=(const SmsSpool&) = delete;

  // A file neither renamed into the spool nor known to be whole is read once
  // it has not changed for this long.
  static constexpr std::chrono::seconds kSettleTime{2};

  // Handles every complete message file now (also called by the API before it
  // answers a balance or SMS report, so that a payment just sent is seen).
  // Returns the number of files handled.
  int Scan();

  // Before the first scan: files that an earlier version moved to "sent"
  // without recording them are put back into the spool to be paid. Returns
  // their number.
  int Recover();

  // Scans in the background every period until the spool is destroyed.
  void Start(std::chrono::milliseconds period);

  // Called at each step of handling a file (tests kill the server there).
  void SetFaultHook(SpoolFaultHook hook) { fault_hook_ = std::move(hook); }

 private:
  // A file as a scan last saw it while it was not yet known to be complete.
  struct Sighting {
    std::int64_t modified_ns = 0;
    std::uintmax_t size = 0;
    std::chrono::steady_clock::time_point since;  // first seen like this
  };

  bool Complete(const std::filesystem::path& file, std::map<std::string, Sighting>& seen);
  bool Handle(const std::filesystem::path& file);
  void Move(const std::filesystem::path& file, const std::filesystem::path& folder);
  void Reached(SpoolStep step) const;
  void Run(std::chrono::milliseconds period);

  std::filesystem::path outgoing_;
  std::filesystem::path sent_;
  std::filesystem::path failed_;
  SmsPayments& payments_;
  SpoolFaultHook fault_hook_;  // set before Start, read only afterwards

  std::mutex scan_mutex_;  // one scan at a time; guards the three below
  SpoolWatch watch_;
  std::map<std::string, Sighting> sightings_;
  std::set<std::string> unreadable_;  // files whose read failure was logged

  std::mutex stop_mutex_;  // guards stopping_
  std::condition_variable stop_signal_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kestrova::server
