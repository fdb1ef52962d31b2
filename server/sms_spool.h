// Reads the outgoing SMS spool that the client writes (smstools format: a
// "To: <number>" header, other headers, a blank line, the UTF-8 text) and hands
// each message to the SMS payments, as the operator's network would deliver it.
// A message file is first moved to the spool's sibling folder "sent", so that
// it is never paid twice; one that pays nothing is then moved on to "failed".
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "sms_payments.h"

namespace kestrova::server {

struct SpoolMessage {
  std::string to;
  std::string text;
};

// nullopt when the file has no "To:" header or no blank line after the headers.
std::optional<SpoolMessage> ParseSpoolMessage(std::string_view content);

class SmsSpool {
 public:
  SmsSpool(std::filesystem::path outgoing, SmsPayments& payments);
  ~SmsSpool();
  SmsSpool(const SmsSpool&) = delete;
  SmsSpool& operator=(const SmsSpool&) = delete;

  // Handles every complete message file now (also called by the API before it
  // answers a balance or SMS report, so that a payment just sent is seen).
  // Returns the number of files handled.
  int Scan();

  // Scans in the background every period until the spool is destroyed.
  void Start(std::chrono::milliseconds period);

 private:
  void Handle(const std::filesystem::path& file);
  void Run(std::chrono::milliseconds period);

  std::filesystem::path outgoing_;
  std::filesystem::path sent_;
  std::filesystem::path failed_;
  SmsPayments& payments_;

  std::mutex scan_mutex_;  // one scan at a time

  std::mutex stop_mutex_;  // guards stopping_
  std::condition_variable stop_signal_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace kestrova::server
