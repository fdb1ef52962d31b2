#include "net/stream_session.h"

#include <array>
#include <fstream>

#include "net/answer_file.h"
#include "net/http_transport.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "net/stream_setup_answer.h"

namespace kestrova::net {

namespace {

// Every Ogg stream starts with a page, and every page with this capture
// pattern; an error page of the server does not.
constexpr std::array<char, 4> kOggCapture{'O', 'g', 'g', 'S'};

bool StartsAsOgg(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::array<char, kOggCapture.size()> head{};
  return in.read(head.data(), head.size()) && head == kOggCapture;
}

model::RequestResultPtr NewStreamResult(bool ok) {
  auto result = std::make_unique<model::RequestResult>();
  result->ok = ok;
  return result;
}

}  // namespace

model::RequestResultPtr FetchLiveSegment(const ApiContext& api, int channelId, std::int64_t taskStart,
                                         SegmentSink& sink) {
  const std::wstring token = StreamToken(static_cast<std::time_t>(taskStart));
  const CommonQueryValues common = CommonQuery(api);
  const std::wstring& controlLink = api.data.controlLink;

  const std::wstring setupUrl = FormatRequest(
      kStreamSetupFormat, {controlLink, common.userId, common.key, channelId, common.languageId, token});
  std::filesystem::path unused;
  std::wstring rawHeaders;
  if (!HttpGetKeepAlive(api.Transfers(), setupUrl, unused, {}, &rawHeaders)) return NewStreamResult(false);

  const SetupAnswer answer(rawHeaders);
  api.data.liveStream.SetKnownVideo(answer.VideoId());
  const int quality = ChooseQuality(api.data.settings.qualityId, api.data.liveStream.MeasuredRate(), answer);

  const std::wstring getvidUrl =
      FormatRequest(kStreamGetvidFormat, {controlLink, common.userId, common.key, quality, token});
  // The segment's body may take longer than an answer, as long as it keeps coming.
  TransferScope getvid = api.Transfers();
  getvid.limits.exchangeTimeout = api.network.segmentExchangeTimeout;
  AnswerFile segment;
  const platform::MonotonicClock& monotonic = *api.network.monotonic;
  const auto getvidStart = monotonic.Now();
  if (!HttpGetKeepAlive(getvid, getvidUrl, segment.Target())) return NewStreamResult(false);
  const auto getvidTime = monotonic.Now() - getvidStart;
  if (!StartsAsOgg(segment.Path())) return NewStreamResult(false);
  std::error_code sizeError;
  const std::uintmax_t received = std::filesystem::file_size(segment.Path(), sizeError);

  // When the session ends or no player takes the segment, it is deleted
  // here; otherwise the player deletes it once played.
  if (api.network.cancel.load() == 0 && sink.QueueSegment(segment.Path(), answer.VideoName())) segment.Release();
  segment.Delete();

  // A body cut short by the end of the session says nothing about the link.
  if (api.network.cancel.load() != 0 || sizeError) return NewStreamResult(true);
  if (const auto rate = MeasureRate(received, getvidTime)) api.data.liveStream.SetMeasuredRate(*rate);
  return NewStreamResult(true);
}

}  // namespace kestrova::net
