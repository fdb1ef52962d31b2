#include "platform/browser.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace kestrova::platform {
namespace {

constexpr const char* kBrowserVariable = "BROWSER";
constexpr const char* kDefaultOpener = "xdg-open";
constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https://";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

std::string BrowserProgram() {
  const char* configured = std::getenv(kBrowserVariable);
  if (configured == nullptr || *configured == '\0') return kDefaultOpener;
  std::string program(configured);
  const auto colon = program.find(':');
  if (colon != std::string::npos) program.resize(colon);
  return program.empty() ? kDefaultOpener : program;
}

// The caller never waits for the browser; a detached thread collects its
// exit status so that it leaves no zombie behind.
void ReapInBackground(pid_t child) {
  std::thread([child] { waitpid(child, nullptr, 0); }).detach();
}

}  // namespace

bool IsWebAddress(std::string_view url) {
  if (!StartsWithNoCase(url, kHttp) && !StartsWithNoCase(url, kHttps)) return false;
  return std::none_of(url.begin(), url.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

bool OpenInBrowser(std::string_view url) {
  if (!IsWebAddress(url)) return false;
  std::string program = BrowserProgram();
  std::string argument(url);
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  ReapInBackground(child);
  return true;
}

}  // namespace kestrova::platform
