// Raw bytes as a client connection would send them, answered by the server's
// own routes: the front end's framing of whole requests, cpp-httplib's
// request parsing, the request log and its read-out, logos and preview
// pictures, "/blank.php" and every API script down to the database. The
// input is one connection; pipelined requests are framed and answered one
// after another, as the front end does. "@UID@" and "@KEY@" in the input become a live session of an
// account made at start, so the seeds reach the scripts behind the session
// check. The stream control is left out: its set-up waits for the clock.
//
// Every answer must begin with a status line; nothing may crash, leak or
// throw past the router.
#include <SDL_image.h>
#include <httplib.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>

#include "api_scripts.h"
#include "catalogue_loader.h"
#include "http_server.h"
#include "request_frame.h"
#include "request_log.h"
#include "server_context.h"
#include "service_routes.h"

namespace {

using namespace kestrova::server;

constexpr int kMaxRequestsPerInput = 64;
constexpr std::size_t kMaxRequestBody = 64 * 1024;

// The connection: reads hand out the input, writes are kept for the check.
class InputStream final : public httplib::Stream {
 public:
  explicit InputStream(std::string_view input) : input_(input) {}

  bool is_readable() const override { return true; }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const std::size_t n = std::min(size, input_.size());
    input_.copy(ptr, n);
    input_.remove_prefix(n);
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    written_.append(ptr, size);
    return static_cast<ssize_t>(size);
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 40000;
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip = "127.0.0.1";
    port = 8080;
  }
  socket_t socket() const override { return INVALID_SOCKET; }

  const std::string& Written() const { return written_; }

 private:
  std::string_view input_;
  std::string written_;
};

class Routes final : public httplib::Server {
 public:
  using httplib::Server::process_request;
};

// The server as kestrova-server builds it, over an in-memory database.
struct World {
  World() {
    if (!PasswordHasher::Initialise() || (IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG) & IMG_INIT_JPG) == 0) std::abort();
    load = LoadCatalogue(KESTROVA_SERVER_DATA);
    if (!load.catalogue || !logos.Build(*load.catalogue) || !log.Open("")) std::abort();
    programme = std::make_unique<Programme>(*load.catalogue);
    accounts = std::make_unique<Accounts>(storage, hasher);
    sms_payments = std::make_unique<SmsPayments>(storage, *load.catalogue, SmsPairing{600'000, kDefaultMaxPackageReports});
    context = std::make_unique<ServerContext>(ServerContext{*load.catalogue, *programme, logos, *accounts, wallet,
                                                            inbox, *sms_payments, nullptr, VersionPolicy::kRecommended});
    scripts = std::make_unique<ApiScripts>(*context, "http://127.0.0.1:8080");
    http.set_payload_max_length(kMaxRequestBody);
    InstallRequestRecording(http, log);
    InstallServiceRoutes(http, *load.catalogue, logos);
    InstallRequestLogReadOut(http, log);
    scripts->Install(http);

    const std::time_t now = std::time(nullptr);
    const NewAccount account = accounts->Create(0, 2, now);
    const auto session = accounts->Login(account.login, account.password, "127.0.0.1", BudgetClock::now());
    if (!session) std::abort();
    user_id = std::to_string(session->user_id);
    key = session->key;
  }

  CatalogueLoad load;
  LogoStore logos;
  RequestLog log;
  Storage storage{":memory:"};
  PasswordHasher hasher{PasswordCost::kMinimum};
  Wallet wallet{storage};
  Inbox inbox{storage};
  std::unique_ptr<Programme> programme;
  std::unique_ptr<Accounts> accounts;
  std::unique_ptr<SmsPayments> sms_payments;
  std::unique_ptr<ServerContext> context;
  std::unique_ptr<ApiScripts> scripts;
  Routes http;
  std::string user_id;
  std::string key;
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// Made before the first input, so that what the libraries keep for the
// process's life (font configuration, codecs) is not taken for a leak of it.
World* world_of_process = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static World world;
  world_of_process = &world;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  World& world = *world_of_process;
  std::string input(reinterpret_cast<const char*>(bytes), size);
  ReplaceAll(input, "@UID@", world.user_id);
  ReplaceAll(input, "@KEY@", world.key);

  static const RequestLimits limits = FrontEndRequestLimits(kMaxRequestBody);
  std::string written;
  std::string_view rest(input);
  for (int i = 0; i < kMaxRequestsPerInput && !rest.empty(); ++i) {
    // The front end hands the parser one whole request at a time.
    rest.remove_prefix(LeadingEmptyLines(rest));
    if (rest.empty()) break;
    const RequestFrame frame = ExamineRequest(rest, limits);
    if (frame.kind != RequestFrame::Kind::kWhole) break;
    if (frame.size == 0 || frame.size > rest.size()) std::abort();
    InputStream stream(rest.substr(0, frame.size));
    rest.remove_prefix(frame.size);
    bool closed = false;
    const bool processed = world.http.process_request(stream, false, closed, nullptr);
    written += stream.Written();
    if (!processed || closed) break;
  }
  // For writing seeds: KESTROVA_FUZZ_SHOW=1 prints the answers.
  static const bool show = std::getenv("KESTROVA_FUZZ_SHOW") != nullptr;
  if (show) std::fwrite(written.data(), 1, written.size(), stderr);
  if (!written.empty() && written.rfind("HTTP/1.1 ", 0) != 0) std::abort();
  return 0;
}
