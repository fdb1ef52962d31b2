// The sources of real channels for tests: media files and a live MPEG-TS
// stream over UDP on loopback, made by kestrova-test-media with the picture
// and sound of test_pattern.h, and channels files that name them.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kestrova::test {

// Writes a media file (options as kestrova-test-media takes them); false
// with the tool's message in `error` when it failed.
bool MakeMediaFile(const std::filesystem::path& out, const std::vector<std::string>& options, std::string* error);

// A loopback UDP port nobody is bound to just now.
int FreeUdpPort();

// Sends the pattern as MPEG-TS to udp://127.0.0.1:port in real time while it
// lives (or until Stop).
class LiveSender {
 public:
  LiveSender(int port, const std::vector<std::string>& options = {});
  ~LiveSender();
  LiveSender(const LiveSender&) = delete;
  LiveSender& operator=(const LiveSender&) = delete;

  bool Running() const { return pid_ > 0; }
  void Stop();

 private:
  pid_t pid_ = -1;
};

// data/server/channels.xml with a source added to each listed channel.
void WriteChannelsFile(const std::filesystem::path& out, const std::map<int, std::string>& sources);

}  // namespace kestrova::test
