#include "net/http_transport.h"

#include "net/network_context.h"
#include "platform/http.h"
#include "platform/utf8.h"
#include "resources/answer_text.h"

namespace kestrova::net {

namespace {

platform::HttpRequest MakeRequest(const TransferScope& scope, std::wstring_view url,
                                  std::wstring_view extraHeaders) {
  platform::HttpRequest request;
  request.url = platform::EncodeUtf8(url);
  request.extraHeaders = platform::EncodeUtf8(extraHeaders);
  request.cancel = &scope.network.cancel;
  request.requestCancel = scope.requestCancel;
  request.limits = scope.limits;
  return request;
}

void StoreRawHeaders(const platform::HttpResponse& response, std::wstring* rawHeaders) {
  if (rawHeaders != nullptr) *rawHeaders = resources::AnswerText(response.rawHeaders);
}

}  // namespace

bool HttpGetToFile(const TransferScope& scope, std::wstring_view url, std::filesystem::path& answerFile,
                   std::wstring_view extraHeaders, std::wstring* rawHeaders) {
  platform::HttpSession session;
  const auto response = session.GetToFile(MakeRequest(scope, url, extraHeaders), answerFile);
  StoreRawHeaders(response, rawHeaders);
  return response.Ok();
}

bool HttpGetKeepAlive(const TransferScope& scope, std::wstring_view url, std::filesystem::path& answerFile,
                      std::wstring_view extraHeaders, std::wstring* rawHeaders) {
  answerFile.clear();
  const platform::HttpRequest request = MakeRequest(scope, url, extraHeaders);
  const auto response = scope.network.keptConnection.Run([&](platform::HttpSession& session) {
    return rawHeaders != nullptr ? session.GetHeaders(request) : session.GetToFile(request, answerFile);
  });
  StoreRawHeaders(response, rawHeaders);
  return response.Ok();
}

void CloseKeptConnection(NetworkContext& network) { network.keptConnection.Close(); }

bool HttpGetToMemory(const TransferScope& scope, std::wstring_view url, std::span<std::uint8_t> buffer,
                     std::wstring_view extraHeaders, std::wstring* rawHeaders, std::size_t* received) {
  platform::HttpSession session;
  std::size_t stored = 0;
  const auto response = session.GetToBuffer(MakeRequest(scope, url, extraHeaders), buffer, stored);
  StoreRawHeaders(response, rawHeaders);
  if (received != nullptr) *received = stored;
  return response.Ok();
}

void EstablishDataConnection(NetworkContext&) {}

}  // namespace kestrova::net
