// Every endpoint's answer reading on arbitrary bytes: the first byte chooses
// the endpoint, the rest is the answer body (and, for the live stream set-up,
// also the response header block).
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string_view>

#include "answer_stub.h"
#include "billing/billing_endpoints.h"
#include "model/data_state.h"
#include "net/account_endpoints.h"
#include "net/api_context.h"
#include "net/catalogue_endpoints.h"
#include "net/message_endpoints.h"
#include "net/network_context.h"
#include "net/programme_endpoints.h"
#include "net/segment_sink.h"
#include "net/setup_endpoints.h"
#include "net/stream_session.h"
#include "net/version_endpoint.h"
#include "net/video_endpoints.h"

namespace {

using namespace kestrova;

// Takes no segment: the session deletes the file.
class RefusingSink : public net::SegmentSink {
 public:
  bool QueueSegment(const std::filesystem::path&, const std::wstring&) override { return false; }
};

// 2026-03-02 12:00 UTC: a fixed day, so runs repeat.
constexpr std::int64_t kToday = 1772452800;

void RunEndpoint(std::uint8_t choice, const net::ApiContext& api) {
  model::DataState& data = api.data;
  switch (choice) {
    case 0: net::Login(api, L"abcdefgh", L"12345678"); break;
    case 1: net::NewUser(api); break;
    case 2: net::ChannelCatalogue(api); break;
    case 3: net::Messages(api, 1, 0); break;
    case 4: net::HelpThemes(api); break;
    case 5: {
      model::HelpThemeRecord theme;
      theme.id = 3;
      net::HelpTexts(api, &theme);
      break;
    }
    case 6: {
      model::CatalogueItem channel;
      channel.id = 7;
      net::AddProgrammeDays(channel, kToday);
      net::ProgrammeBlocks(api, channel, kToday);
      break;
    }
    case 7: {
      model::ProgrammeDay day;
      day.date = kToday;
      model::ProgrammeBlock block;
      block.day = &day;
      block.id = 12;
      block.startText = L"06:00";
      net::BlockElements(api, block);
      break;
    }
    case 8: net::CurrentBlock(api, net::kLastBlock, 7, data.nowNextEntries); break;
    case 9: net::Countries(api); break;
    case 10: net::Operators(api); break;
    case 11: net::Zones(api); break;
    case 12: net::Setup(api); break;
    case 13: net::UpdateLanguageSettings(api); break;
    case 14: net::Version(api); break;
    case 15: net::Videos(api, *data.videoRoot, 0, net::kNormalFirstChild); break;
    case 16: net::VideoDetails(api, 5, data.videoDetail); break;
    case 17: {
      // A root with its favourites folder, so the answer's favourite state is
      // carried on into the folder's pages.
      net::Videos(api, *data.videoRoot, 0, net::kNormalFirstChild);
      model::ProgrammeElement video;
      video.id = 5;
      net::ToggleFavorite(api, video);
      break;
    }
    case 18: {
      RefusingSink sink;
      net::FetchLiveSegment(api, 7, kToday, sink);
      break;
    }
    case 19: billing::ShortNumbers(api); break;
    case 20: billing::Bill(api); break;
    case 21: {
      model::CatalogueItem channel;
      channel.id = 7;
      billing::SubscribeChannel(api, &channel);
      break;
    }
    case 22: {
      model::ProgrammeElement video;
      video.id = 5;
      billing::BuyInfo(api, &video, billing::BuyType::kPlay);
      billing::BuyInfo(api, &video, billing::BuyType::kDownload);
      break;
    }
    case 23: billing::Feedback(api, L"+100", L"a@b.c", L"hello"); break;
    default: billing::Gifts(api, L"GIFT"); break;
  }
}

constexpr std::uint8_t kEndpoints = 25;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view answer(reinterpret_cast<const char*>(bytes) + 1, size - 1);
  fuzz::SetStubAnswer(answer, answer);

  model::DataState data;
  data.settings.apiBaseUrl = L"http://127.0.0.1:1";
  data.controlLink = L"http://127.0.0.1:1/";
  data.userId = 1;
  net::NetworkContext network;
  const net::ApiContext api{data, network};
  RunEndpoint(static_cast<std::uint8_t>(bytes[0] % kEndpoints), api);
  return 0;
}
