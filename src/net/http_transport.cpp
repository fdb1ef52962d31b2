#include "net/http_transport.h"

#include "app/kestrova_doc.h"
#include "net/answer_text.h"
#include "platform/http.h"
#include "platform/utf8.h"

namespace kestrova::net {

namespace {

platform::HttpRequest MakeRequest(const app::CKestrovaDoc& document, std::wstring_view url,
                                  std::wstring_view extraHeaders) {
  platform::HttpRequest request;
  request.url = platform::EncodeUtf8(url);
  request.extraHeaders = platform::EncodeUtf8(extraHeaders);
  request.cancel = &document.cancel;
  request.limits = document.httpLimits;
  return request;
}

void StoreRawHeaders(const platform::HttpResponse& response, std::wstring* rawHeaders) {
  if (rawHeaders != nullptr) *rawHeaders = AnswerText(response.rawHeaders);
}

}  // namespace

bool HttpGetToFile(app::CKestrovaDoc& document, std::wstring_view url, std::filesystem::path& answerFile,
                   std::wstring_view extraHeaders, std::wstring* rawHeaders) {
  platform::HttpSession session;
  const auto response = session.GetToFile(MakeRequest(document, url, extraHeaders), answerFile);
  StoreRawHeaders(response, rawHeaders);
  return response.Ok();
}

bool HttpGetKeepAlive(app::CKestrovaDoc& document, std::wstring_view url, std::filesystem::path& answerFile,
                      std::wstring_view extraHeaders, std::wstring* rawHeaders) {
  answerFile.clear();
  const platform::HttpRequest request = MakeRequest(document, url, extraHeaders);
  const auto response = document.keptConnection.Run([&](platform::HttpSession& session) {
    return rawHeaders != nullptr ? session.GetHeaders(request) : session.GetToFile(request, answerFile);
  });
  StoreRawHeaders(response, rawHeaders);
  return response.Ok();
}

void CloseKeptConnection(app::CKestrovaDoc& document) { document.keptConnection.Close(); }

bool HttpGetToMemory(app::CKestrovaDoc& document, std::wstring_view url, std::span<std::uint8_t> buffer,
                     std::wstring_view extraHeaders, std::wstring* rawHeaders, std::size_t* received) {
  platform::HttpSession session;
  std::size_t stored = 0;
  const auto response = session.GetToBuffer(MakeRequest(document, url, extraHeaders), buffer, stored);
  StoreRawHeaders(response, rawHeaders);
  if (received != nullptr) *received = stored;
  return response.Ok();
}

void EstablishDataConnection(app::CKestrovaDoc&) {}

}  // namespace kestrova::net
