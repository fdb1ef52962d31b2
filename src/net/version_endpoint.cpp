#include "net/version_endpoint.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "app/kestrova_doc.h"
#include "net/answer_reading.h"
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

RequestResultPtr Version(app::CKestrovaDoc& document) {
  EstablishDataConnection(document);
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.request = FormatRequest(kVersionFormat, {common.userId, common.key, common.affiliateId, kClientVersionMajor,
                                                kClientVersionMinor, kClientVersionPatch, common.languageId});
  call.rootElement = "version";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    document.updateKind = AttributeText(root, "update");
    document.updateLink = AttributeText(root, "link");
    document.updateMessage = AttributeText(root, "message");
    result.ok = 1;
  };
  return RunEndpoint(document, call);
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
