#include "link_limit.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace kestrova::server {
namespace {

// A piece carries this much of a second's worth of the limit, so a change
// of the limit takes effect soon and the pace stays even.
constexpr int kPiecesPerSecond = 20;
constexpr std::size_t kMinPieceBytes = 256;
constexpr std::size_t kMaxPieceBytes = 64 * 1024;
constexpr double kBitsPerKilobit = 1000;
constexpr double kBitsPerByte = 8;

}  // namespace

void SendLimited(const LinkLimit& limit, std::shared_ptr<const void> keep, const std::string& body,
                 const char* content_type, httplib::Response& response) {
  if (limit.Kbps() <= 0) {
    response.set_content(body, content_type);
    return;
  }
  // The body's bytes stay where they are: `keep` owns them until the
  // releaser runs, after the last piece or a broken connection.
  const std::string* bytes = &body;
  response.set_content_provider(
      body.size(), content_type,
      [&limit, bytes](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        const int kbps = limit.Kbps();
        const double bytes_per_second = kbps * kBitsPerKilobit / kBitsPerByte;
        const std::size_t piece =
            kbps <= 0 ? length
                      : std::min({length, kMaxPieceBytes,
                                  std::max(kMinPieceBytes, static_cast<std::size_t>(bytes_per_second / kPiecesPerSecond))});
        if (!sink.write(bytes->data() + offset, piece)) return false;
        if (kbps > 0) {
          std::this_thread::sleep_for(std::chrono::duration<double>(static_cast<double>(piece) / bytes_per_second));
        }
        return true;
      },
      [keep = std::move(keep)](bool) {});
}

}  // namespace kestrova::server
