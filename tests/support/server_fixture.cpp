#include "support/server_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <string_view>
#include <thread>

#include "shared/security_string.h"

extern char** environ;

namespace kestrova::test {
namespace {

constexpr auto kStartTimeout = std::chrono::seconds(30);
constexpr auto kStopTimeout = std::chrono::seconds(20);
constexpr auto kPollStep = std::chrono::milliseconds(10);

std::string ServerPath() { return std::string(KESTROVA_BIN_DIR) + "/kestrova-server"; }

// The process, with its standard output on a pipe and its errors in a file.
pid_t Spawn(const std::vector<std::string>& args, const std::string& error_file, int* stdout_read) {
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args.front().c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_fds[1]);
  *stdout_read = pipe_fds[0];
  return pid;
}

// The first line of the output, or "" when none came within the time-out.
std::string FirstLine(int fd) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char c = 0;
    if (::read(fd, &c, 1) != 1) break;
    if (c == '\n') return line;
    line.push_back(c);
  }
  return {};
}

int WaitForExit(pid_t pid, std::chrono::steady_clock::duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(kPollStep);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

}  // namespace

ServerProcess::ServerProcess(const TempDir& dir, const std::vector<std::string>& options,
                             const std::vector<std::string>& launcher, bool log_read_out) {
  std::vector<std::string> args = launcher;
  args.insert(args.end(), {ServerPath(),
                           "--port", "0",
                           "--data", std::string(KESTROVA_SOURCE_DATA_DIR) + "/server",
                           "--db", (dir / "server.db").string(),
                           "--sms-spool", (dir / "sms" / "outgoing").string(),
                           // Argon2id at its cheapest: tests create many accounts.
                           "--password-cost", "minimum"});
  // Tests compare the request lines the server saw.
  if (log_read_out) args.insert(args.end(), {"--request-log-endpoint", "on"});
  args.insert(args.end(), options.begin(), options.end());
  int out = -1;
  pid_ = Spawn(args, (dir / "server.err").string(), &out);
  if (pid_ < 0) return;
  const std::string line = FirstLine(out);
  ::close(out);
  constexpr std::string_view kReady = "listening on 127.0.0.1:";
  if (line.starts_with(kReady) && line.size() > kReady.size() &&
      line.find_first_not_of("0123456789", kReady.size()) == std::string::npos) {
    port_ = std::stoi(line.substr(kReady.size()));
  }
}

ServerProcess::~ServerProcess() { Stop(); }

int ServerProcess::Stop() {
  if (pid_ < 0) return -1;
  ::kill(pid_, SIGTERM);
  const int status = WaitForExit(pid_, kStopTimeout);
  pid_ = -1;
  return status;
}

int RunServerExpectingExit(const std::vector<std::string>& args, std::string* error_output) {
  TempDir dir;
  std::vector<std::string> full = {ServerPath()};
  full.insert(full.end(), args.begin(), args.end());
  int out = -1;
  const pid_t pid = Spawn(full, (dir / "err").string(), &out);
  if (pid < 0) return -2;
  const std::string line = FirstLine(out);
  ::close(out);
  if (!line.empty()) ::kill(pid, SIGTERM);
  const int status = WaitForExit(pid, kStopTimeout);
  if (error_output != nullptr) *error_output = ReadFile(dir / "err");
  return line.empty() ? status : -1;
}

const tinyxml2::XMLElement* Answer::Root(const char* name) const {
  return doc ? doc->FirstChildElement(name) : nullptr;
}

int Answer::ErrorId() const { return IntAttr(Root("error"), "id"); }

std::string Answer::ErrorText() const {
  const auto* error = Root("error");
  return error != nullptr && error->GetText() != nullptr ? error->GetText() : "";
}

std::string Session::Query() const {
  return "user_id=" + std::to_string(user_id) + "&key=" + key + "&affiliate_id=0";
}

ApiClient::ApiClient(int port) : client_("127.0.0.1", port) {
  client_.set_keep_alive(true);
  client_.set_tcp_nodelay(true);
  client_.set_read_timeout(30, 0);
}

Answer ApiClient::Get(const std::string& path, const httplib::Headers& headers) {
  Answer answer;
  auto result = client_.Get(path.c_str(), headers);
  if (!result) return answer;
  answer.status = result->status;
  answer.body = result->body;
  auto doc = std::make_unique<tinyxml2::XMLDocument>();
  if (doc->Parse(answer.body.c_str(), answer.body.size()) == tinyxml2::XML_SUCCESS) answer.doc = std::move(doc);
  return answer;
}

httplib::Result ApiClient::Raw(const std::string& path) { return client_.Get(path.c_str()); }

Session ApiClient::Register() {
  const Answer created = Get("/new_user.php?affiliate_id=0&codepage=utf8&lng_id=02&client=wm&dist_number=1");
  const auto credentials = shared::DecodeSecurityString(Attr(created.Root("new_user"), "security_str"));
  if (!credentials) {
    ADD_FAILURE() << "new_user gave no usable security string: " << created.body;
    return {};
  }
  return Login(credentials->login, credentials->password);
}

Session ApiClient::Login(const std::string& login, const std::string& password) {
  const Answer answer = Get("/login.php?login=" + login + "&password=" + password +
                            "&lng_id=02&affiliate_id=0&codepage=utf8&client=wm&dist_number=1");
  const auto* root = answer.Root("login");
  if (root == nullptr) {
    ADD_FAILURE() << "login failed: " << answer.body;
    return {};
  }
  return {IntAttr(root, "user_id"), Attr(root, "key"), login, password};
}

int ApiClient::Balance(const Session& session) {
  const Answer bill =
      Get("/bill.php?" + session.Query() + "&lng_id=1&codepage=utf8&client=wm&dist_number=1");
  EXPECT_NE(bill.Root("bill"), nullptr) << bill.body;
  return IntAttr(bill.Root("bill"), "account");
}

std::string Attr(const tinyxml2::XMLElement* element, const char* name) {
  const char* value = element != nullptr ? element->Attribute(name) : nullptr;
  return value != nullptr ? value : "";
}

int IntAttr(const tinyxml2::XMLElement* element, const char* name) {
  return element != nullptr ? element->IntAttribute(name, 0) : 0;
}

std::vector<const tinyxml2::XMLElement*> Children(const tinyxml2::XMLElement* parent, const char* name) {
  std::vector<const tinyxml2::XMLElement*> out;
  if (parent == nullptr) return out;
  for (auto* e = parent->FirstChildElement(name); e != nullptr; e = e->NextSiblingElement(name)) out.push_back(e);
  return out;
}

std::string DateText(int days_from_today) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  local.tm_mday += days_from_today;
  local.tm_hour = 12;  // away from daylight-saving changes
  local.tm_isdst = -1;
  std::mktime(&local);
  char text[16];
  std::strftime(text, sizeof text, "%d-%m-%Y", &local);
  return text;
}

void ServerTest::SetUp() {
  const std::vector<std::string> options = ServerOptions();
  if (HasFatalFailure()) return;
  server_ = std::make_unique<ServerProcess>(dir_, options);
  ASSERT_NE(server_->Port(), 0) << ReadFile(dir_ / "server.err");
  api_ = std::make_unique<ApiClient>(server_->Port());
}

void ServerTest::TearDown() {
  api_.reset();
  if (server_) {
    // A clean exit also means no leak or sanitizer report in a sanitizer build.
    EXPECT_EQ(server_->Stop(), 0) << ReadFile(dir_ / "server.err");
  }
}

}  // namespace kestrova::test
