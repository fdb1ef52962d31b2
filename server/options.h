// The command line of kestrova-server.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "password_hash.h"
#include "server_context.h"

namespace kestrova::server {

inline constexpr int kDefaultPort = 8080;
// A package SMS waits this long for its sms_sent report, which comes after it.
inline constexpr double kDefaultSmsReportMinutes = 10;
// From the first byte of a request to the last byte of its answer.
inline constexpr int kDefaultRequestTimeoutSeconds = 20;

struct ServerOptions {
  std::string listen = "127.0.0.1";
  int port = kDefaultPort;  // 0: any free port
  std::string data_dir;
  std::string channels_file;  // empty: channels.xml of the data folder
  std::string videos_dir;     // on-demand video files; empty: every video shows its card
  std::string video_cache;    // where they are kept transcoded
  std::string db_file;
  std::string sms_spool;  // empty: no spool is read
  std::string request_log;
  // Whether this machine's own, unforwarded requests may read the recorded
  // request targets at /_log/requests (for tests and local diagnosis).
  bool request_log_endpoint = false;
  VersionPolicy version_policy = VersionPolicy::kNone;
  PasswordCost password_cost = PasswordCost::kInteractive;
  double sms_report_minutes = kDefaultSmsReportMinutes;
  int workers = 0;  // 0: chosen for the machine
  int request_timeout_seconds = kDefaultRequestTimeoutSeconds;
  std::vector<std::string> trusted_proxies;  // canonical addresses
  // Send limit of getvid bodies per connection, kbit/s, 0 for none; nullopt
  // when not asked for (then it cannot be changed while running either).
  std::optional<int> link_kbps;
};

struct ParsedOptions {
  std::optional<ServerOptions> options;  // nullopt: exit (help shown, or an error)
  std::string error;                     // empty after --help
};

// argv[0] locates the content installed next to the program.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

std::string Usage();

}  // namespace kestrova::server
