#include "support/media_sources.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

namespace kestrova::test {
namespace {

std::string ToolPath() { return std::string(KESTROVA_BIN_DIR) + "/kestrova-test-media"; }

pid_t SpawnTool(const std::vector<std::string>& args, const std::string& error_file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args.front().c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

bool MakeMediaFile(const std::filesystem::path& out, const std::vector<std::string>& options, std::string* error) {
  std::vector<std::string> args{ToolPath(), "file", out.string()};
  args.insert(args.end(), options.begin(), options.end());
  const std::filesystem::path errors = out.string() + ".err";
  const pid_t pid = SpawnTool(args, errors.string());
  int status = -1;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    if (error != nullptr) *error = "kestrova-test-media failed: " + ReadAll(errors);
    return false;
  }
  return true;
}

int FreeUdpPort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

LiveSender::LiveSender(int port, const std::vector<std::string>& options) {
  std::vector<std::string> args{ToolPath(), "udp", "udp://127.0.0.1:" + std::to_string(port) + "?pkt_size=1316",
                                "--video", "mpeg2video", "--audio", "mp2"};
  args.insert(args.end(), options.begin(), options.end());
  pid_ = SpawnTool(args, "/dev/null");
}

LiveSender::~LiveSender() { Stop(); }

void LiveSender::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

void WriteChannelsFile(const std::filesystem::path& out, const std::map<int, std::string>& sources) {
  std::string text = ReadAll(std::filesystem::path(KESTROVA_SOURCE_DATA_DIR) / "server" / "channels.xml");
  for (const auto& [id, source] : sources) {
    const std::string tag = "<channel id=\"" + std::to_string(id) + "\"";
    const auto at = text.find(tag);
    if (at != std::string::npos) text.insert(at + tag.size(), " source=\"" + source + "\"");
  }
  std::ofstream(out, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace kestrova::test
