#include "net/version_endpoint.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/http_transport.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "platform/utf8.h"

extern char** environ;

namespace kestrova::net {
namespace {

constexpr const wchar_t* kVersionFormat =
    L"version.php?user_id=%d&key=%s&affiliate_id=%d&version=%d.%d.%d&lng_id=%d&client_type=wm&codepage=utf8"
    L"&dist_number=1";
constexpr const char* kBrowserVariable = "BROWSER";
constexpr const char* kDefaultOpener = "xdg-open";

// The program to start: the first entry of $BROWSER (a colon-separated
// list by convention), else xdg-open.
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

model::RequestResultPtr Version(const ApiContext& api) {
  EstablishDataConnection(api.network);
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kVersionFormat, {common.userId, common.key, common.affiliateId, kClientVersionMajor,
                                                kClientVersionMinor, kClientVersionPatch, common.languageId});
  call.rootElement = "version";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    api.data.updateKind = AttributeText(root, "update");
    api.data.updateLink = AttributeText(root, "link");
    api.data.updateMessage = AttributeText(root, "message");
    result.ok = 1;
  };
  return RunEndpoint(api, call);
}

bool LaunchBrowser(const std::wstring& url) {
  std::string program = BrowserProgram();
  std::string argument = platform::EncodeUtf8(url);
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  ReapInBackground(child);
  return true;
}

}  // namespace kestrova::net
