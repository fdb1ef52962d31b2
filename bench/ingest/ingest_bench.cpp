// Real channels under load: a real kestrova-server in its own process on
// loopback, its channels playing a media file (made by scripts/bench-ingest:
// 720p25 H.264 with AAC sound), and simulated viewers that fetch segments as
// the client does (a set-up, then its getvid; up to three segments queued,
// one playing). Measures:
// - the server's CPU time per second of wall time (cores), with one channel
//   and one viewer: the cost of one channel's four qualities;
// - the server's resident memory before the channels start and while they
//   run, per channel;
// - with several channels and many viewers each: every getvid's arrival
//   against the moment its segment is due (when the segment before it ends
//   playing), and the server's CPU.
//
//   ingest --source FILE [--channels N] [--viewers V] [--seconds S] [--warm-up S]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "shared/security_string.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kFirstChannel = 102;  // free channels 102, 103, ... get the source
constexpr int kQueued = 3;          // the client keeps this many segments, the playing one included

struct Options {
  std::filesystem::path source;
  int channels = 1;
  int viewers = 1;
  double seconds = 30;
  double warm_up = 10;
};

bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    const char* value = argv[i + 1];
    if (name == "--source") {
      o.source = value;
    } else if (name == "--channels") {
      o.channels = std::atoi(value);
    } else if (name == "--viewers") {
      o.viewers = std::atoi(value);
    } else if (name == "--seconds") {
      o.seconds = std::atof(value);
    } else if (name == "--warm-up") {
      o.warm_up = std::atof(value);
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && !o.source.empty() && o.channels >= 1 && o.viewers >= 1 && o.seconds > 0;
}

std::filesystem::path ProgramDir() { return std::filesystem::canonical("/proc/self/exe").parent_path(); }

// The server as its own process; its first output line names the port.
class Server {
 public:
  Server(const std::filesystem::path& work, const std::filesystem::path& channels) {
    const std::string program = (ProgramDir() / "kestrova-server").string();
    std::vector<std::string> args{program, "--port", "0", "--channels", channels.string(), "--db",
                                  (work / "server.db").string(), "--sms-spool", "none", "--password-cost", "minimum"};
    int fds[2];
    if (::pipe(fds) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (work / "server.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string line;
    const auto deadline = Clock::now() + 30s;
    while (pid_ > 0 && Clock::now() < deadline) {
      pollfd p{fds[0], POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
      line.push_back(c);
    }
    ::close(fds[0]);
    const auto colon = line.rfind(':');
    if (line.rfind("listening on", 0) == 0 && colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  }
  ~Server() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  int Port() const { return port_; }

  // CPU seconds (user + system) of the server so far.
  double CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14 || i == 15) ticks += std::atof(field.c_str());
    }
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
  }
  // Resident memory in MB.
  double ResidentMb() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
  }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

std::string Attribute(const std::string& xml, const std::string& name) {
  const auto at = xml.find(name + "=\"");
  if (at == std::string::npos) return {};
  const auto start = at + name.size() + 2;
  return xml.substr(start, xml.find('"', start) - start);
}

struct Account {
  int user_id = 0;
  std::string key;
};

std::optional<Account> Register(httplib::Client& http) {
  const auto created = http.Get("/new_user.php?affiliate_id=0&codepage=utf8&lng_id=02&client=wm&dist_number=1");
  if (!created) return std::nullopt;
  const auto credentials = kestrova::shared::DecodeSecurityString(Attribute(created->body, "security_str"));
  if (!credentials) return std::nullopt;
  const auto login = http.Get("/login.php?login=" + credentials->login + "&password=" + credentials->password +
                              "&lng_id=02&affiliate_id=0&codepage=utf8&client=wm&dist_number=1");
  if (!login) return std::nullopt;
  Account account{std::atoi(Attribute(login->body, "user_id").c_str()), Attribute(login->body, "key")};
  if (account.user_id == 0) return std::nullopt;
  return account;
}

// What the viewers saw, shared under its mutex.
struct Tally {
  std::mutex mutex;
  long segments = 0;
  long late = 0;
  long failed = 0;
  std::vector<double> margins;  // seconds from arrival to due, per segment after the first
  std::vector<double> first_ms;
};

// One viewer, as the client fetches: the first segment plays at once; each
// next one is asked for while fewer than kQueued are unplayed, and is due
// when the one before it ends.
void Viewer(int port, int channel, Clock::time_point until, Tally& tally) {
  httplib::Client http("127.0.0.1", port);
  http.set_keep_alive(true);
  http.set_read_timeout(60, 0);
  const auto account = Register(http);
  if (!account) {
    const std::lock_guard lock(tally.mutex);
    ++tally.failed;
    return;
  }
  const std::string base = "/stream/cc.cgi?user_id=" + std::to_string(account->user_id) + "&user_key=" + account->key;
  std::optional<Clock::time_point> start;  // when the first segment began playing
  std::vector<double> ends;                // seconds after start when each received segment ends
  const auto asked_first = Clock::now();
  while (Clock::now() < until) {
    if (start) {
      // Wait while the queue is full.
      while (ends.size() >= static_cast<std::size_t>(kQueued) &&
             Clock::now() < *start + std::chrono::duration<double>(ends[ends.size() - kQueued])) {
        std::this_thread::sleep_for(20ms);
      }
    }
    const auto setup = http.Get(base + "&channel_id=" + std::to_string(channel) +
                                "&setup_type=bcast&lng_id=2&client_type=wm&query_type=setup&1");
    bool fetched = false;
    if (setup && setup->status == 200) {
      const auto body = http.Get(base + "&quality=4&client_type=wm&query_type=getvid&1");
      fetched = body && body->status == 200 && !body->body.empty();
    }
    const auto arrived = Clock::now();
    const std::lock_guard lock(tally.mutex);
    if (!fetched) {
      ++tally.failed;
      continue;
    }
    ++tally.segments;
    const double length = std::atof(setup->get_header_value("Len").c_str());
    if (!start) {
      start = arrived;
      tally.first_ms.push_back(std::chrono::duration<double, std::milli>(arrived - asked_first).count());
      ends.push_back(length);
      continue;
    }
    const auto due = *start + std::chrono::duration<double>(ends.back());
    const double margin = std::chrono::duration<double>(due - arrived).count();
    tally.margins.push_back(margin);
    if (margin < 0) ++tally.late;
    ends.push_back(ends.back() + length);
  }
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!Parse(argc, argv, o)) {
    std::fprintf(stderr, "usage: ingest --source FILE [--channels N] [--viewers V] [--seconds S] [--warm-up S]\n");
    return 2;
  }
  const auto work = std::filesystem::temp_directory_path() / ("kestrova-ingest-" + std::to_string(::getpid()));
  std::filesystem::create_directories(work);
  // The catalogue's channels file with the source on the first channels.
  std::ifstream in(ProgramDir() / "server" / "channels.xml");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (int i = 0; i < o.channels; ++i) {
    const std::string tag = "<channel id=\"" + std::to_string(kFirstChannel + i) + "\"";
    const auto at = text.find(tag);
    if (at != std::string::npos) {
      text.insert(at + tag.size(), " source=\"" + std::filesystem::absolute(o.source).string() + "\"");
    }
  }
  std::ofstream(work / "channels.xml") << text;

  int result = 0;
  {
    Server server(work, work / "channels.xml");
    if (server.Port() == 0) {
      std::fprintf(stderr, "ingest: the server did not start (see %s)\n", (work / "server.err").c_str());
      return 1;
    }
    std::this_thread::sleep_for(1s);
    const double idle_mb = server.ResidentMb();
    Tally tally;
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(o.warm_up + o.seconds));
    std::vector<std::thread> viewers;
    for (int c = 0; c < o.channels; ++c) {
      for (int v = 0; v < o.viewers; ++v) {
        viewers.emplace_back(Viewer, server.Port(), kFirstChannel + c, until, std::ref(tally));
      }
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(o.warm_up));
    {
      const std::lock_guard lock(tally.mutex);
      tally.margins.clear();
      tally.late = 0;
      tally.segments = 0;
    }
    const double cpu_before = server.CpuSeconds();
    const auto measured_from = Clock::now();
    double peak_mb = 0;
    while (Clock::now() < until) {
      peak_mb = std::max(peak_mb, server.ResidentMb());
      std::this_thread::sleep_for(500ms);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - measured_from).count();
    const double cores = (server.CpuSeconds() - cpu_before) / wall;
    for (auto& viewer : viewers) viewer.join();

    const std::lock_guard lock(tally.mutex);
    std::printf("channels %d, viewers per channel %d, measured %.0f s after %.0f s of warm-up\n", o.channels, o.viewers,
                wall, o.warm_up);
    std::printf("server CPU: %.3f cores (%.3f per channel)\n", cores, cores / o.channels);
    std::printf("server memory: %.1f MB idle, %.1f MB at most while playing (%.1f MB per channel)\n", idle_mb, peak_mb,
                (peak_mb - idle_mb) / o.channels);
    std::printf("segments fetched: %ld, late: %ld, failed: %ld\n", tally.segments, tally.late, tally.failed);
    std::printf("margin before due: p1 %.2f s, p50 %.2f s, least %.2f s\n", Percentile(tally.margins, 0.01),
                Percentile(tally.margins, 0.5), Percentile(tally.margins, 0.0));
    std::printf("first segment after the first set-up: median %.0f ms, worst %.0f ms\n", Percentile(tally.first_ms, 0.5),
                Percentile(tally.first_ms, 1.0));
    result = tally.late == 0 && tally.failed == 0 ? 0 : 1;
  }
  std::filesystem::remove_all(work);
  return result;
}
