// The client's peak resident memory when a server sends pictures and
// segments far larger than the client shows. Each role runs in a process of
// its own, so the figures are the client's alone:
//
//   memory picture SIDE FILE       writes a SIDE x SIDE PNG logo
//   memory serve DIR               serves DIR's files on 127.0.0.1; prints the port
//   memory logos URL BYTES COUNT   fetches a catalogue level of COUNT channels
//                                  whose logo is URL (BYTES long) and keeps them
//   memory segment FILE            reads the segment through the player's reader
//
// The client roles print "peak_rss_kb=N rss_kb=N" and what they kept.
#include <httplib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/catalogue_records.h"
#include "model/data_state.h"
#include "net/network_context.h"
#include "net/picture_download.h"
#include "platform/sdl_handles.h"
#include "player/segment_reader.h"
#include "player/theora_stream.h"
#include "player/vorbis_stream.h"
#include "player/pcm_block.h"
#include "process_usage.h"
#include "support/picture_files.h"

namespace {

using namespace kestrova;

void PrintMemory() {
  std::printf("peak_rss_kb=%ld rss_kb=%ld\n", bench::StatusKb("VmHWM"), bench::StatusKb("VmRSS"));
}

// A logo with detail all over (so its file is not trivially small): a
// colour gradient with a transparent corner.
int WritePicture(int side, const char* file) {
  platform::ArgbImage picture(side, side);
  if (picture.Empty()) return 1;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const std::uint32_t alpha = x + y < side / 4 ? 0U : 0xFFU;
      picture.Row(y)[x] = alpha << 24U | static_cast<std::uint32_t>(x * 255 / side) << 16U |
                          static_cast<std::uint32_t>(y * 255 / side) << 8U | static_cast<std::uint32_t>((x ^ y) & 0xFF);
    }
  }
  const std::vector<std::uint8_t> png = test::EncodePng(picture);
  std::FILE* out = std::fopen(file, "wb");
  if (out == nullptr || png.empty()) return 1;
  const bool written = std::fwrite(png.data(), 1, png.size(), out) == png.size();
  return std::fclose(out) == 0 && written ? 0 : 1;
}

int Serve(const char* folder) {
  httplib::Server server;
  if (!server.set_mount_point("/", folder)) return 1;
  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) return 1;
  std::printf("%d\n", port);
  std::fflush(stdout);
  return server.listen_after_bind() ? 0 : 1;
}

int FetchLogos(const char* url, int bytes, int count) {
  net::NetworkContext network;
  model::DataState data;
  model::FolderNode& folder = *data.channelRoot;
  const std::string link(url);
  for (int i = 0; i < count; ++i) {
    auto item = std::make_unique<model::CatalogueItem>();
    item->id = i + 1;
    item->logoLink = std::wstring(link.begin(), link.end());
    item->logoSize = bytes;
    folder.entries.push_back(std::move(item));
  }
  net::FetchFolderLogos(network, data, folder);
  int kept = 0;
  std::size_t pixels = 0;
  for (const auto& item : folder.entries) {
    if (item->logoImage.Empty()) continue;
    ++kept;
    pixels += static_cast<std::size_t>(item->logoImage.Width()) * static_cast<std::size_t>(item->logoImage.Height());
  }
  std::printf("logos_kept=%d logo_pixels=%zu budget_held=%zu ", kept, pixels, data.pictures.Held());
  PrintMemory();
  return 0;
}

int ReadSegment(const char* file) {
  player::TheoraStream video;
  player::VorbisStream audio;
  player::SegmentReader reader(video, audio);
  reader.Queue().Append({file, L"bench"});
  int blocks = -1;  // the segment cannot be opened
  if (reader.OpenSegment()) {
    blocks = 0;
    std::vector<std::uint8_t> block(player::PcmBlockSize(audio.Channels(), audio.Rate(),
                                                         static_cast<long>(video.Info().fps_numerator),
                                                         static_cast<long>(video.Info().fps_denominator)));
    if (block.empty()) block.resize(4096);
    while (reader.ReadBlock(block)) {
      ++blocks;
      const std::lock_guard guard(video.Lock());
      (void)video.FetchPicture();
      video.SwitchDecoder();
    }
  }
  std::printf("blocks=%d decoders=%d ", blocks, video.DecodersMade());
  PrintMemory();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string role = argc > 1 ? argv[1] : "";
  if (role == "picture" && argc == 4) return WritePicture(std::atoi(argv[2]), argv[3]);
  if (role == "serve" && argc == 3) return Serve(argv[2]);
  if (role == "logos" && argc == 5) return FetchLogos(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (role == "segment" && argc == 3) return ReadSegment(argv[2]);
  std::fprintf(stderr,
               "usage: memory picture SIDE FILE | serve DIR | logos URL BYTES COUNT | segment FILE\n");
  return 2;
}
