// The three ways the program fetches a URL, all on a worker thread, all
// within the time limits of their scope and all ended at the next chunk by
// the document's cancel flag or the request's own:
// - HttpGetToFile: one connection per request, body into a temporary file
//   (API answers, preview pictures);
// - HttpGetKeepAlive: the document's kept connection, body into a
//   temporary file or only the response headers (stream set-up);
// - HttpGetToMemory: body into a caller's buffer (channel logos).
// The HTTP status is not examined: an error page with a body is handed on
// like any answer and fails where it is parsed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "net/network_context.h"

namespace kestrova::net {

// Fetches the URL into a fresh temporary file. True when a non-empty body
// arrived complete; `answerFile` then names the file and the caller deletes
// it after use. On false `answerFile` is empty and no file is left.
// `extraHeaders` are header lines (CR LF separated) added to the request;
// `rawHeaders`, when given, receives the response's status and header lines
// as CR LF separated text.
[[nodiscard]] bool HttpGetToFile(const TransferScope& scope, std::wstring_view url, std::filesystem::path& answerFile,
                   std::wstring_view extraHeaders = {}, std::wstring* rawHeaders = nullptr);

// As HttpGetToFile, over the document's kept connection (opened on first
// use, reused by the next request to the same server). With `rawHeaders`
// given only the headers are wanted: the body is not stored, no file is
// made, and the result is true once a complete header block arrived.
[[nodiscard]] bool HttpGetKeepAlive(const TransferScope& scope, std::wstring_view url, std::filesystem::path& answerFile,
                      std::wstring_view extraHeaders = {}, std::wstring* rawHeaders = nullptr);

// Closes the kept connection of HttpGetKeepAlive (end of the session).
void CloseKeptConnection(NetworkContext& network);

// Reads the body into the buffer until it is full or the body ends. True
// when at least one byte arrived and the transfer did not break off before
// the buffer was full; `received`, when given, gets the number of bytes
// stored. No request is made for an empty buffer.
[[nodiscard]] bool HttpGetToMemory(const TransferScope& scope, std::wstring_view url, std::span<std::uint8_t> buffer,
                     std::wstring_view extraHeaders = {}, std::wstring* rawHeaders = nullptr,
                     std::size_t* received = nullptr);

// Brings up the data connection before the first requests. On Linux the
// system manages the network connection, so there is nothing to do; the
// call stays so that the endpoints keep their order of steps.
void EstablishDataConnection(NetworkContext& network);

}  // namespace kestrova::net
