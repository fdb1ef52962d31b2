// kestrova-server: the reference API server of the Kestrova client.
#include <SDL_image.h>
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <thread>

#include "api_scripts.h"
#include "catalogue_loader.h"
#include "http_server.h"
#include "options.h"
#include "request_log.h"
#include "server_context.h"
#include "service_routes.h"
#include "stream_control.h"

namespace {

using namespace kestrova::server;

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;
constexpr std::chrono::milliseconds kSpoolPeriod{1000};
constexpr std::size_t kMaxRequestBody = 64 * 1024;
// An idle kept connection costs no worker, only its socket.
constexpr std::chrono::seconds kKeepAlive{15};
constexpr double kMillisecondsPerMinute = 60'000;

// The picture encoders, loaded for the server's lifetime.
class ImageCodecs {
 public:
  ImageCodecs() : ok_((IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG) & IMG_INIT_JPG) != 0) {}
  ~ImageCodecs() { IMG_Quit(); }
  ImageCodecs(const ImageCodecs&) = delete;
  ImageCodecs& operator=(const ImageCodecs&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

// Waits for SIGINT or SIGTERM (blocked in every thread) and stops the server.
// A signal may come before the server has begun to listen, when stopping it
// would do nothing yet; the stop then waits until it is listening. Destroying
// this object ends the wait.
class StopOnSignal {
 public:
  explicit StopOnSignal(httplib::Server& http) : signals_(BlockStopSignals()) {
    thread_ = std::thread([this, &http] { Wait(http); });
  }

  // Blocks SIGINT and SIGTERM in the calling thread and in every thread it
  // starts afterwards: called first thing, before any thread exists, so that
  // only the signal thread receives them.
  static sigset_t BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
  }
  ~StopOnSignal() {
    leaving_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
  }
  StopOnSignal(const StopOnSignal&) = delete;
  StopOnSignal& operator=(const StopOnSignal&) = delete;

 private:
  // The signal thread.
  void Wait(httplib::Server& http) {
    int signal = 0;
    sigwait(&signals_, &signal);
    while (!leaving_) {
      if (http.is_running()) {
        http.stop();
        return;
      }
      std::this_thread::sleep_for(kStartPoll);
    }
  }

  static constexpr std::chrono::milliseconds kStartPoll{5};
  sigset_t signals_;
  std::atomic<bool> leaving_{false};
  std::thread thread_;
};

// KESTROVA_SERVER_FAULT=<step> (see SpoolStepNamed) kills the server with
// SIGKILL when the SMS spool reaches that step: the crash tests' way of
// stopping it exactly there.
void InstallSpoolFault(SmsSpool& spool) {
  const char* name = std::getenv("KESTROVA_SERVER_FAULT");
  if (name == nullptr) return;
  const auto step = SpoolStepNamed(name);
  if (!step) return;
  spool.SetFaultHook([at = *step](SpoolStep reached) {
    if (reached == at) ::raise(SIGKILL);
  });
}

std::string HostForUrl(const std::string& address) {
  return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

int Run(const ServerOptions& options) {
  StopOnSignal::BlockStopSignals();
  if (!PasswordHasher::Initialise()) {
    std::cerr << "kestrova-server: cannot start libsodium\n";
    return kExitFailure;
  }
  const ImageCodecs codecs;
  if (!codecs.Ok()) {
    std::cerr << "kestrova-server: cannot load the PNG and JPEG encoders: " << IMG_GetError() << "\n";
    return kExitFailure;
  }
  auto load = LoadCatalogue(options.data_dir, options.channels_file);
  if (!load.catalogue) {
    std::cerr << "kestrova-server: content in " << options.data_dir << " unusable: " << load.error << "\n";
    return kExitUsage;
  }
  const Catalogue& catalogue = *load.catalogue;
  LogoStore logos;
  if (!logos.Build(catalogue)) {
    std::cerr << "kestrova-server: cannot draw the logos: " << IMG_GetError() << "\n";
    return kExitFailure;
  }

  std::error_code ec;
  const auto db_dir = std::filesystem::path(options.db_file).parent_path();
  if (!db_dir.empty()) std::filesystem::create_directories(db_dir, ec);
  std::unique_ptr<Storage> storage;
  try {
    storage = std::make_unique<Storage>(options.db_file);
  } catch (const DatabaseError& e) {
    std::cerr << "kestrova-server: database " << options.db_file << ": " << e.what() << "\n";
    return kExitFailure;
  }
  RequestLog request_log;
  if (!request_log.Open(options.request_log)) {
    std::cerr << "kestrova-server: cannot open request log " << options.request_log << "\n";
    return kExitFailure;
  }

  const Programme programme(catalogue);
  std::unique_ptr<PasswordHasher> hasher;
  try {
    hasher = std::make_unique<PasswordHasher>(options.password_cost);
  } catch (const std::runtime_error& e) {
    std::cerr << "kestrova-server: " << e.what() << "\n";
    return kExitFailure;
  }
  Accounts accounts(*storage, *hasher);
  Wallet wallet(*storage);
  Inbox inbox(*storage);
  const SmsPairing pairing{static_cast<std::int64_t>(options.sms_report_minutes * kMillisecondsPerMinute),
                           kDefaultMaxPackageReports};
  SmsPayments sms_payments(*storage, catalogue, pairing);
  std::unique_ptr<SmsSpool> spool;
  if (!options.sms_spool.empty()) {
    spool = std::make_unique<SmsSpool>(options.sms_spool, sms_payments);
    InstallSpoolFault(*spool);
    // Whatever a crash interrupted is finished before the first request.
    spool->Recover();
    spool->Scan();
  }
  ServerContext context{catalogue, programme, logos, accounts, wallet, inbox, sms_payments, spool.get(),
                        options.version_policy, options.trusted_proxies};

  HttpServer http({options.workers, std::chrono::seconds(options.request_timeout_seconds), kKeepAlive, kMaxRequestBody});
  // Answers go out at once instead of waiting for the client's acknowledgement.
  http.set_tcp_nodelay(true);
  // The library would also set SO_REUSEPORT, which lets a second server bind
  // the same port and silently share its requests; only SO_REUSEADDR here.
  http.set_socket_options([](int socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  InstallRequestRecording(http, request_log, [&http] { return http.CurrentRequestResumed(); });
  InstallServiceRoutes(http, catalogue, logos);
  if (options.request_log_endpoint) InstallRequestLogReadOut(http, request_log);
  media::ChannelHub channels(catalogue);
  media::VideoLibrary videos(options.videos_dir, options.video_cache);
  LinkLimit link(options.link_kbps.value_or(0));
  if (options.link_kbps) InstallLinkControl(http, link);
  StreamControl stream(context, http, channels, videos, link);
  stream.Install(http);
  const int port = options.port == 0 ? http.bind_to_any_port(options.listen)
                                     : (http.bind_to_port(options.listen, options.port) ? options.port : -1);
  if (port <= 0 || !http.RaiseBacklog()) {
    std::cerr << "kestrova-server: cannot listen on " << options.listen << ":" << options.port << "\n";
    return kExitFailure;
  }
  // Links in answers name the Host the client used; without one, the address
  // and port actually bound.
  ApiScripts scripts(context, "http://" + HostForUrl(options.listen) + ":" + std::to_string(port));
  scripts.Install(http);

  const StopOnSignal stop(http);
  if (spool) spool->Start(kSpoolPeriod);
  std::cout << "listening on " << options.listen << ":" << port << std::endl;
  return http.listen_after_bind() ? 0 : kExitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  const ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv, argv + argc));
  if (!parsed.options) {
    if (!parsed.error.empty()) std::cerr << "kestrova-server: " << parsed.error << "\n";
    std::cerr << Usage();
    return parsed.error.empty() ? 0 : kExitUsage;
  }
  return Run(*parsed.options);
}
