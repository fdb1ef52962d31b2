// A slow link on loopback: with --link-kbps the getvid bodies of live
// segments leave each connection at no more than that many kilobits a
// second, so that the client's choice of quality by download rate can be
// tried without a mobile network. The limit may change while the server
// runs (see InstallLinkControl); a body being sent follows the change from
// its next piece on.
#pragma once

#include <httplib.h>

#include <atomic>
#include <memory>
#include <string>

namespace kestrova::server {

class LinkLimit {
 public:
  // Beyond 10 Gbit/s a limit means nothing.
  static constexpr int kMaxKbps = 10'000'000;

  explicit LinkLimit(int kbps = 0) : kbps_(kbps) {}
  LinkLimit(const LinkLimit&) = delete;
  LinkLimit& operator=(const LinkLimit&) = delete;

  // Kilobits (1000 bits) a second; 0: no limit.
  int Kbps() const { return kbps_.load(std::memory_order_relaxed); }
  void SetKbps(int kbps) { kbps_.store(kbps, std::memory_order_relaxed); }

 private:
  std::atomic<int> kbps_;
};

// Answers with `body`, which `keep` holds alive until it has been sent: at
// once while no limit is set, else in pieces paced by the limit.
void SendLimited(const LinkLimit& limit, std::shared_ptr<const void> keep, const std::string& body,
                 const char* content_type, httplib::Response& response);

}  // namespace kestrova::server
