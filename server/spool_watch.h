// Which files of the spool folder arrived whole. Writers that follow the
// spool's rule write a message aside and rename it into the folder; inotify
// reports that rename (IN_MOVED_TO), and such a file is complete at once,
// unless it is written to afterwards. Files this watch cannot vouch for (a
// file made in place, one present before the server started, events lost to
// a queue overflow) are complete once they stop changing: SmsSpool's
// concern, not this one's.
#pragma once

#include <filesystem>
#include <set>
#include <string>

namespace kestrova::server {

class SpoolWatch {
 public:
  explicit SpoolWatch(std::filesystem::path folder);
  ~SpoolWatch();
  SpoolWatch(const SpoolWatch&) = delete;
  SpoolWatch& operator=(const SpoolWatch&) = delete;

  // Takes in what happened in the folder since the last call, without
  // waiting.
  void Drain();
  // Whether the named file was renamed into the folder and not written to
  // since (as of the last Drain).
  bool ArrivedWhole(const std::string& name) const { return arrived_.contains(name); }

 private:
  void Watch();
  void Take(std::uint32_t mask, const std::string& name);

  std::filesystem::path folder_;
  int inotify_ = -1;  // non-blocking; -1 when inotify is unavailable
  int watch_ = -1;    // the folder's watch; -1 when it is not (or no longer) watched
  std::set<std::string> arrived_;
};

}  // namespace kestrova::server
