#include "options.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "api_request.h"
#include "ip_address.h"
#include "link_limit.h"

namespace kestrova::server {
namespace fs = std::filesystem;
namespace {

constexpr int kMaxPort = 65535;
constexpr const char* kNoSpool = "none";
constexpr int kMaxWorkers = 1024;
constexpr int kMaxRequestTimeoutSeconds = 3600;
constexpr double kMaxSmsReportMinutes = 7 * 24 * 60;

// Adds the comma-separated addresses of a --trusted-proxy value; false at
// anything that is no numeric address.
bool AddTrustedProxies(const std::string& list, std::vector<std::string>& proxies) {
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const auto address = CanonicalAddress(std::string_view(list).substr(start, comma - start));
    if (!address) return false;
    proxies.push_back(*address);
    start = comma + 1;
  }
  return true;
}

// A decimal number within [low, high]; nullopt otherwise.
std::optional<double> ParseMinutes(const std::string& text, double low, double high) {
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return std::nullopt;
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (used != text.size() || value < low || value > high) return std::nullopt;
  return value;
}

std::string CacheHome() {
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && *xdg != '\0') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") + "/.cache";
}

std::string DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") + "/.local/share";
}

// The content folder: "server" next to the program (build tree), else the
// installed one.
std::string DefaultDataDir(const std::string& argv0) {
  std::error_code ec;
  fs::path program = fs::canonical("/proc/self/exe", ec);
  if (ec) program = fs::absolute(argv0, ec);
  const fs::path dir = program.parent_path();
  if (fs::is_directory(dir / "server", ec)) return (dir / "server").string();
  return (dir / ".." / "share" / "kestrova" / "server").lexically_normal().string();
}

// The client's own default spool, so that the pair meets without options.
std::string DefaultSpool() {
  if (const char* spool = std::getenv("KESTROVA_SMS_SPOOL"); spool != nullptr && *spool != '\0') return spool;
  return DataHome() + "/kestrova/sms/outgoing";
}

}  // namespace

std::string Usage() {
  return "usage: kestrova-server [options]\n"
         "  --listen ADDRESS        address to listen on (127.0.0.1)\n"
         "  --port N                port, 0 for any free one (8080)\n"
         "  --data DIR              content folder (the installed one)\n"
         "  --channels FILE         channel catalogue to use instead of the content folder's\n"
         "                          channels.xml (channels may name a source to show)\n"
         "  --videos DIR            on-demand video files, named <video id>.<extension> (none)\n"
         "  --video-cache DIR       where they are kept transcoded ($XDG_CACHE_HOME/kestrova/videos)\n"
         "  --db FILE               database file ($XDG_DATA_HOME/kestrova/server.db)\n"
         "  --sms-spool DIR|none    outgoing SMS spool to read ($XDG_DATA_HOME/kestrova/sms/outgoing)\n"
         "  --version-policy none|recommended|required   what older clients are told (none)\n"
         "  --request-log FILE      append every request target to FILE (secret values masked)\n"
         "  --request-log-endpoint on|off   serve the recent request targets at /_log/requests\n"
         "                          to this machine's own, unforwarded requests (off)\n"
         "  --password-cost interactive|minimum   Argon2id cost of password hashes (interactive)\n"
         "  --sms-report-minutes M  how long after a package SMS its report may come (10)\n"
         "  --workers N             request worker threads (0: four per core, at least 8)\n"
         "  --request-timeout S     seconds from a request's first byte to its answer (20)\n"
         "  --trusted-proxy ADDRESS[,ADDRESS...]   reverse proxy whose X-Forwarded-For names the\n"
         "                          caller, for the log-in limits (repeatable; none)\n"
         "  --link-kbps N           send getvid bodies at most at N kbit/s per connection, to try a\n"
         "                          slow link on loopback; 0: no limit (off). When given, this\n"
         "                          machine's own, unforwarded requests change it while the server\n"
         "                          runs: GET /_link/kbps?set=N (GET /_link/kbps shows it)\n"
         "The first line on standard output is \"listening on ADDRESS:PORT\".\n";
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  ServerOptions options;
  options.data_dir = DefaultDataDir(args.empty() ? std::string() : args.front());
  options.db_file = DataHome() + "/kestrova/server.db";
  options.sms_spool = DefaultSpool();
  options.video_cache = CacheHome() + "/kestrova/videos";

  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "--help" || name == "-h") return {std::nullopt, {}};
    if (!value) {
      if (i + 1 >= args.size()) return {std::nullopt, name + " needs a value"};
      value = args[++i];
    }
    if (name == "--listen") {
      options.listen = *value;
    } else if (name == "--port") {
      const auto port = ParseStrictInt(*value);
      if (!port || *port < 0 || *port > kMaxPort) return {std::nullopt, "bad port: " + *value};
      options.port = *port;
    } else if (name == "--data") {
      options.data_dir = *value;
    } else if (name == "--videos") {
      options.videos_dir = *value;
    } else if (name == "--video-cache") {
      if (value->empty()) return {std::nullopt, "empty video cache folder"};
      options.video_cache = *value;
    } else if (name == "--channels") {
      if (value->empty()) return {std::nullopt, "empty channels file"};
      options.channels_file = *value;
    } else if (name == "--db") {
      options.db_file = *value;
    } else if (name == "--sms-spool") {
      options.sms_spool = *value == kNoSpool ? std::string() : *value;
    } else if (name == "--request-log") {
      options.request_log = *value;
    } else if (name == "--request-log-endpoint") {
      if (*value != "on" && *value != "off") return {std::nullopt, "bad request log endpoint switch: " + *value};
      options.request_log_endpoint = *value == "on";
    } else if (name == "--password-cost") {
      if (*value == "interactive") {
        options.password_cost = PasswordCost::kInteractive;
      } else if (*value == "minimum") {
        options.password_cost = PasswordCost::kMinimum;
      } else {
        return {std::nullopt, "bad password cost: " + *value};
      }
    } else if (name == "--sms-report-minutes") {
      const auto minutes = ParseMinutes(*value, 0, kMaxSmsReportMinutes);
      if (!minutes) return {std::nullopt, "bad SMS report minutes: " + *value};
      options.sms_report_minutes = *minutes;
    } else if (name == "--workers") {
      const auto workers = ParseStrictInt(*value);
      if (!workers || *workers < 0 || *workers > kMaxWorkers) return {std::nullopt, "bad worker count: " + *value};
      options.workers = *workers;
    } else if (name == "--request-timeout") {
      const auto seconds = ParseStrictInt(*value);
      if (!seconds || *seconds < 1 || *seconds > kMaxRequestTimeoutSeconds) {
        return {std::nullopt, "bad request time-out: " + *value};
      }
      options.request_timeout_seconds = *seconds;
    } else if (name == "--link-kbps") {
      const auto kbps = ParseStrictInt(*value);
      if (!kbps || *kbps < 0 || *kbps > LinkLimit::kMaxKbps) return {std::nullopt, "bad link limit: " + *value};
      options.link_kbps = *kbps;
    } else if (name == "--trusted-proxy") {
      if (!AddTrustedProxies(*value, options.trusted_proxies)) return {std::nullopt, "bad trusted proxy: " + *value};
    } else if (name == "--version-policy") {
      if (*value == "none") {
        options.version_policy = VersionPolicy::kNone;
      } else if (*value == "recommended") {
        options.version_policy = VersionPolicy::kRecommended;
      } else if (*value == "required") {
        options.version_policy = VersionPolicy::kRequired;
      } else {
        return {std::nullopt, "bad version policy: " + *value};
      }
    } else {
      return {std::nullopt, "unknown option: " + name};
    }
  }
  if (options.listen.empty()) return {std::nullopt, "empty listen address"};
  return {options, {}};
}

}  // namespace kestrova::server
