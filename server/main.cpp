// kestrova-server: the reference API server of the Kestrova client.
#include <SDL_image.h>
#include <httplib.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "account_api.h"
#include "api_router.h"
#include "billing_api.h"
#include "catalogue_api.h"
#include "catalogue_loader.h"
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
constexpr time_t kKeepAliveSeconds = 2;

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
  explicit StopOnSignal(httplib::Server& http) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    thread_ = std::thread([this, &http] { Wait(http); });
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
  sigset_t signals_{};
  std::atomic<bool> leaving_{false};
  std::thread thread_;
};

std::string HostForUrl(const std::string& address) {
  return address.find(':') != std::string::npos ? "[" + address + "]" : address;
}

int Run(const ServerOptions& options) {
  const ImageCodecs codecs;
  if (!codecs.Ok()) {
    std::cerr << "kestrova-server: cannot load the PNG and JPEG encoders: " << IMG_GetError() << "\n";
    return kExitFailure;
  }
  auto load = LoadCatalogue(options.data_dir);
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
  Accounts accounts(*storage);
  Wallet wallet(*storage);
  Inbox inbox(*storage);
  SmsPayments sms_payments(*storage, catalogue);
  std::unique_ptr<SmsSpool> spool;
  if (!options.sms_spool.empty()) spool = std::make_unique<SmsSpool>(options.sms_spool, sms_payments);
  ServerContext context{catalogue, programme, logos, accounts, wallet, inbox, sms_payments, spool.get(),
                        options.version_policy};

  httplib::Server http;
  http.set_payload_max_length(kMaxRequestBody);
  // Answers go out at once instead of waiting for the client's acknowledgement.
  http.set_tcp_nodelay(true);
  // An idle kept connection holds a worker until this time-out, also when the
  // server is stopping; short, so that stopping is quick.
  http.set_keep_alive_timeout(kKeepAliveSeconds);
  // The library would also set SO_REUSEPORT, which lets a second server bind
  // the same port and silently share its requests; only SO_REUSEADDR here.
  http.set_socket_options([](int socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  InstallRequestRecording(http, request_log);
  InstallServiceRoutes(http, catalogue, logos, request_log);
  StreamControl stream(context, http);
  stream.Install(http);
  const int port = options.port == 0 ? http.bind_to_any_port(options.listen)
                                     : (http.bind_to_port(options.listen, options.port) ? options.port : -1);
  if (port <= 0) {
    std::cerr << "kestrova-server: cannot listen on " << options.listen << ":" << options.port << "\n";
    return kExitFailure;
  }
  // Links in answers name the Host the client used; without one, the address
  // and port actually bound.
  ApiRouter router("http://" + HostForUrl(options.listen) + ":" + std::to_string(port));
  AccountApi account_api(context);
  CatalogueApi catalogue_api(context);
  BillingApi billing_api(context);
  account_api.Register(router);
  catalogue_api.Register(router);
  billing_api.Register(router);
  router.Install(http);

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
