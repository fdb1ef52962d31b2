#include "stream_control.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "access.h"
#include "civil_time.h"
#include "segment_encoder/segment_encoder.h"

namespace kestrova::server {
namespace {

constexpr int kStatusBadRequest = 400;
constexpr int kStatusForbidden = 403;
constexpr int kStatusNotFound = 404;
constexpr int kStatusConflict = 409;
constexpr int kStatusTooMany = 429;
constexpr int kStatusServerError = 500;
constexpr int kStatusUnavailable = 503;

// Error ids of the stream script, next to those of the API scripts.
constexpr int kErrorNotWatchable = 1601;
constexpr int kErrorNoSetup = 1602;
constexpr int kErrorBusy = 1603;
constexpr int kErrorOffAir = 1604;
constexpr int kErrorPreparing = 1605;

constexpr const char* kSegmentType = "video/ogg";
constexpr const char* kTextType = "text/plain; charset=utf-8";
constexpr long long kSecondsPerMinute = 60;
constexpr const char* kErrorIdHeader = "Error_id";

const LocalText kNotWatchableText{"{0} is not open to this account: subscribe or buy it first.",
                                  "{0} недоступен для этой учётной записи: сначала оформите подписку или покупку.",
                                  "{0} no está disponible para esta cuenta: suscríbase o cómprelo primero.",
                                  "{0} n'est pas ouvert à ce compte : abonnez-vous ou achetez-le d'abord."};
const LocalText kNoSetupText{"No stream set-up precedes this request.", "Запросу не предшествовала настройка потока.",
                             "Ninguna configuración del flujo precede a esta petición.",
                             "Aucune configuration du flux ne précède cette demande."};
const LocalText kBusyText{"Too many stream requests of this account are waiting; try again in a moment.",
                          "Слишком много запросов потока этой учётной записи ожидают; повторите чуть позже.",
                          "Demasiadas peticiones de flujo de esta cuenta están esperando; inténtelo en un momento.",
                          "Trop de demandes de flux de ce compte attendent ; réessayez dans un instant."};
const LocalText kOffAirText{"{0} cannot be shown at the moment; please try again later.",
                            "{0} сейчас недоступен; пожалуйста, попробуйте позже.",
                            "{0} no se puede mostrar en este momento; inténtelo más tarde.",
                            "{0} ne peut pas être diffusé pour le moment ; veuillez réessayer plus tard."};
const LocalText kPreparingText{"{0} is being prepared; please try again in a minute.",
                               "{0} готовится; пожалуйста, попробуйте через минуту.",
                               "{0} se está preparando; inténtelo de nuevo en un minuto.",
                               "{0} est en préparation ; veuillez réessayer dans une minute."};
const LocalText kEncodingFailedText{"The stream could not be prepared.", "Не удалось подготовить поток.",
                                    "No se pudo preparar el flujo.", "Le flux n'a pas pu être préparé."};

int StatusFor(int error_id) {
  switch (error_id) {
    case kErrorMissingParameter:
    case kErrorBadParameter:
    case kErrorTooLong: return kStatusBadRequest;
    case kErrorBadSession:
    case kErrorNotWatchable: return kStatusForbidden;
    case kErrorUnknownId: return kStatusNotFound;
    case kErrorNoSetup: return kStatusConflict;
    case kErrorBusy: return kStatusTooMany;
    case kErrorOffAir:
    case kErrorPreparing: return kStatusUnavailable;
    default: return kStatusServerError;
  }
}

void AnswerError(httplib::Response& response, int id, const std::string& text) {
  response.status = StatusFor(id);
  response.set_header(kErrorIdHeader, std::to_string(id));
  response.set_content(text + "\n", kTextType);
}

// Runs a handler and turns its failure into an error answer.
template <class Handler>
void Answer(const httplib::Request& http_request, httplib::Response& response, Handler handler) {
  const ApiRequest request(http_request, {});
  try {
    handler(request);
  } catch (const ApiFailure& failure) {
    AnswerError(response, failure.Id(), failure.Text());
  } catch (const std::exception& fault) {
    std::cerr << "kestrova-server: " << http_request.path << ": " << fault.what() << "\n";
    AnswerError(response, kErrorInternal, Text(TextId::kInternalError, request.Lang()));
  }
}

}  // namespace

void StreamControl::Install(httplib::Server& http) {
  http.Get(std::string(kStreamPath) + "cc\\.cgi", [this](const httplib::Request& req, httplib::Response& res) {
    Answer(req, res, [&](const ApiRequest& request) {
      const std::string type = request.Text("query_type");
      if (type == "setup") return Setup(request, res);
      if (type == "getvid") return Getvid(request, res);
      request.Fail(kErrorBadParameter, TextId::kBadParameter, {"query_type"});
    });
  });
  // The client composes "<control link>/orva<id>.3gp", so the path has a
  // doubled slash.
  http.Get(std::string(kStreamPath) + "/*orva([0-9]+)\\.3gp",
           [this](const httplib::Request& req, httplib::Response& res) {
             Answer(req, res, [&](const ApiRequest& request) {
               const auto id = ParseStrictInt(req.matches[1].str());
               if (!id) request.Fail(kErrorBadParameter, TextId::kBadParameter, {"video_id"});
               OnDemand(request, *id, res);
             });
           });
}

Account StreamControl::Authenticate(const ApiRequest& request) const {
  const int user_id = request.Int("user_id");
  const std::string key = request.Text("user_key");
  auto account = context_.accounts.BySession(user_id, key, std::time(nullptr));
  if (!account) request.Fail(kErrorBadSession, TextId::kBadSession);
  return *account;
}

bool StreamControl::MayWatchVideo(const Account& account, const Video& video) const {
  if (video.play_price <= 0) return true;
  const auto bought = context_.wallet.PurchasedVideos(account.id);
  return std::find(bought.begin(), bought.end(), video.id) != bought.end();
}

StreamControl::Source StreamControl::FindSource(const ApiRequest& request, const Account& account,
                                                std::time_t moment) const {
  const int id = request.Int("channel_id");
  const Language lang = request.Lang();
  Source source;
  source.record = id;
  if (const Channel* channel = context_.catalogue.FindChannel(id)) {
    source.card_name = channel->name.In(lang);
    if (!CanWatch(context_.wallet, context_.catalogue, account.id, *channel, std::time(nullptr))) {
      throw ApiFailure(kErrorNotWatchable, FormatText(kNotWatchableText.In(lang), {source.card_name}));
    }
    // The programme entry on air when the segment starts.
    source.programme = source.card_name;
    const LocalMoment at = LocalMomentOf(moment);
    const auto entries = context_.programme.Around(*channel, at.day_number, at.second_of_day, true, 1);
    if (!entries.empty()) {
      const TimedEntry& entry = entries.front();
      const long long begins =
          static_cast<long long>(entry.day_number) * kSecondsPerDay + entry.start_minute * kSecondsPerMinute;
      if (begins <= static_cast<long long>(at.day_number) * kSecondsPerDay + at.second_of_day) {
        source.programme = entry.entry.name->In(lang);
        if (entry.entry.show->video != 0) source.video = entry.entry.show->video;
      }
    }
    return source;
  }
  if (const Video* video = context_.catalogue.FindVideo(id)) {
    source.card_name = video->name.In(lang);
    if (!MayWatchVideo(account, *video)) {
      throw ApiFailure(kErrorNotWatchable, FormatText(kNotWatchableText.In(lang), {source.card_name}));
    }
    source.programme = source.card_name;
    source.video = video->id;
    return source;
  }
  request.Fail(kErrorUnknownId, TextId::kUnknownId, {"channel_id", std::to_string(id)});
}

StreamControl::NextStep StreamControl::TakeNextSegment(int user_id, const Source& source, std::time_t now) {
  const std::lock_guard lock(mutex_);
  Session& session = sessions_[user_id];
  const bool fresh = session.live || session.record != source.record || session.next_seconds == 0 ||
                     session.next_start + kRejoinSeconds < now;
  SegmentKey key{source.record, fresh ? now : session.next_start,
                 fresh ? kFirstSegmentSeconds : session.next_seconds, source.card_name};
  if (now + kMaxLeadSeconds < key.start) return {std::nullopt, key.start - kMaxLeadSeconds};
  session.record = source.record;
  session.live = false;
  session.next_start = key.start + key.seconds;
  session.next_seconds = std::min(key.seconds * 2, kSegmentSeconds);
  session.announced = nullptr;  // until this set-up has its segment
  session.last_setup = now;
  ForgetIdleSessions(now);
  return {key, 0};
}

void StreamControl::ForgetIdleSessions(std::time_t now) {
  if (now < last_forget_ + kForgetSeconds / 2) return;
  last_forget_ = now;
  std::erase_if(sessions_, [now](const auto& entry) { return entry.second.last_setup + kForgetSeconds < now; });
}

void StreamControl::Setup(const ApiRequest& request, httplib::Response& response) {
  const Account account = Authenticate(request);
  const std::time_t now = std::time(nullptr);
  // The name and access first, at the present; the programme is that of
  // the segment's own start, read again below once that is known.
  Source source = FindSource(request, account, now);
  if (const Channel* channel = context_.catalogue.FindChannel(source.record)) {
    if (media::ChannelPipeline* pipeline = channels_.For(channel->id)) {
      return LiveSetup(request, account, *channel, *pipeline, response);
    }
  }
  const NextStep next = TakeNextSegment(account.id, source, now);
  if (!next.key) {
    // Too far ahead of the clock: the request waits, holding no worker, and
    // comes here again when due. Its timeline stays, so a client that leaves
    // meanwhile has taken nothing.
    std::shared_ptr<void> hold = waiting_.Take(account.id);
    if (hold == nullptr) throw ApiFailure(kErrorBusy, kBusyText.In(request.Lang()));
    parking_.ParkCurrentRequest(RequestParking::WallClock::from_time_t(next.due), std::move(hold));
    return;
  }
  const SegmentKey& key = *next.key;
  if (key.start != now) source = FindSource(request, account, key.start);

  auto segment = segments_.Get(key);
  if (segment == nullptr) throw ApiFailure(kErrorInternal, kEncodingFailedText.In(request.Lang()));
  const int following = std::min(key.seconds * 2, kSegmentSeconds);
  segments_.Prefetch(SegmentKey{key.record, key.start + key.seconds, following, key.name});
  {
    const std::lock_guard lock(mutex_);
    sessions_[account.id].announced = segment;
  }
  Announce(*segment, source, key.seconds, response);
}

void StreamControl::Announce(const EncodedSegment& segment, const Source& source, int seconds,
                             httplib::Response& response) const {
  response.set_header("Qual_num", std::to_string(kStreamQualityCount));
  for (int quality = 1; quality <= kStreamQualityCount; ++quality) {
    std::string key_name = "S";  // S1..Sn (built in place: GCC 12 warns falsely on "S" + string&&)
    key_name += std::to_string(quality);
    response.set_header(key_name, std::to_string(segment.At(quality).size()));
  }
  response.set_header("Video_name", source.programme);
  if (source.video) response.set_header("Video_id", std::to_string(*source.video));
  response.set_header("Len", std::to_string(seconds));
  response.set_content("", kTextType);
}

void StreamControl::LiveSetup(const ApiRequest& request, const Account& account, const Channel& channel,
                              media::ChannelPipeline& pipeline, httplib::Response& response) {
  pipeline.Touch();
  const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
  const auto now_seconds = static_cast<std::time_t>(now);
  const bool resumed = parking_.CurrentRequestResumed();
  // A viewer who went on asking goes on with the segment after the last
  // one; anybody else joins the channel where it is.
  std::optional<media::ViewerPosition> position;
  std::time_t waiting_since = now_seconds;
  {
    const std::lock_guard lock(mutex_);
    Session& session = sessions_[account.id];
    if (session.live && session.record == channel.id && session.last_setup + kRejoinSeconds >= now_seconds) {
      position = media::ViewerPosition{session.run, session.next_start};
    }
    if (resumed && session.waiting_since != 0) waiting_since = session.waiting_since;
    session.waiting_since = waiting_since;
  }
  const std::string name = channel.name.In(request.Lang());
  const media::ViewerStep step = pipeline.Timeline().ForViewer(position, now);
  if (!step.error.empty() || (!step.segment && now_seconds - waiting_since > kLongestLiveWait)) {
    throw ApiFailure(kErrorOffAir, FormatText(kOffAirText.In(request.Lang()), {name}));
  }
  if (!step.segment) {
    // Not encoded yet: the request waits, holding no worker.
    std::shared_ptr<void> hold = waiting_.Take(account.id);
    if (hold == nullptr) throw ApiFailure(kErrorBusy, kBusyText.In(request.Lang()));
    const auto due = RequestParking::WallClock::now() +
                     std::chrono::duration_cast<RequestParking::WallClock::duration>(
                         std::chrono::duration<double>(step.wait_seconds));
    parking_.ParkCurrentRequest(due, std::move(hold));
    return;
  }
  const media::LiveSegment& segment = *step.segment;
  const auto& announced = segment.encoded;
  {
    const std::lock_guard lock(mutex_);
    Session& session = sessions_[account.id];
    session.record = channel.id;
    session.live = true;
    session.run = segment.run;
    session.next_start = segment.start + segment.seconds;
    session.next_seconds = segment.seconds;
    session.last_setup = now_seconds;
    session.waiting_since = 0;
    session.announced = announced;
    ForgetIdleSessions(now_seconds);
  }
  // The programme on air when the segment starts; without a programme, the
  // title the source announces.
  Source source = FindSource(request, account, segment.start);
  if (channel.theme.empty()) {
    if (const std::string title = pipeline.Timeline().Title(); !title.empty()) source.programme = title;
  }
  Announce(*announced, source, segment.seconds, response);
}

void StreamControl::Getvid(const ApiRequest& request, httplib::Response& response) {
  const Account account = Authenticate(request);
  const int quality = ServedQuality(request.Int("quality"));
  std::shared_ptr<const EncodedSegment> segment;
  {
    const std::lock_guard lock(mutex_);
    const auto it = sessions_.find(account.id);
    if (it != sessions_.end()) segment = it->second.announced;
  }
  if (segment == nullptr) throw ApiFailure(kErrorNoSetup, kNoSetupText.In(request.Lang()));
  const std::string& body = segment->At(quality);
  SendLimited(link_, std::move(segment), body, kSegmentType, response);
}

void StreamControl::OnDemand(const ApiRequest& request, int video_id, httplib::Response& response) {
  const Account account = Authenticate(request);
  if (request.Has("video_id") && request.Int("video_id") != video_id) {
    request.Fail(kErrorBadParameter, TextId::kBadParameter, {"video_id"});
  }
  const Video* video = context_.catalogue.FindVideo(video_id);
  if (video == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"video_id", std::to_string(video_id)});
  // The card shows the English title: a desktop player has no language of ours.
  const std::string name = video->name.In(Language::kEnglish);
  if (!MayWatchVideo(account, *video)) {
    throw ApiFailure(kErrorNotWatchable, FormatText(kNotWatchableText.In(request.Lang()), {name}));
  }
  const int quality = ServedQuality(request.IntOr("quality", kDefaultStreamQuality));
  if (OnDemandFile(request, account, video_id, quality, response)) return;
  const std::pair<int, int> key{video_id, quality};
  std::shared_ptr<const std::string> file;
  {
    const std::lock_guard lock(mutex_);
    if (const auto it = on_demand_.find(key); it != on_demand_.end()) file = it->second;
  }
  if (file == nullptr) {
    const int seconds = std::clamp(video->length_seconds, 1, kOnDemandSeconds);
    auto bytes = encoder::EncodeSegment(StreamRecipe(quality, name, 0, seconds));
    if (!bytes) {
      std::cerr << "kestrova-server: video " << video_id << " not encoded: " << bytes.Reason() << "\n";
      throw ApiFailure(kErrorInternal, kEncodingFailedText.In(request.Lang()));
    }
    file = std::make_shared<const std::string>(std::move(*bytes));
    const std::lock_guard lock(mutex_);
    if (on_demand_.emplace(key, file).second) on_demand_order_.push_back(key);
    while (on_demand_order_.size() > kMaxOnDemandFiles) {
      on_demand_.erase(on_demand_order_.front());
      on_demand_order_.pop_front();
    }
  }
  response.set_header("Content-Disposition", "inline; filename=\"orva" + std::to_string(video_id) + ".ogv\"");
  response.set_content(*file, kSegmentType);
}

bool StreamControl::OnDemandFile(const ApiRequest& request, const Account& account, int video_id, int quality,
                                 httplib::Response& response) {
  const media::VideoLibrary::Lookup found = videos_.Find(video_id, quality);
  const std::pair<int, int> waiter{account.id, video_id};
  const std::time_t now = std::time(nullptr);
  const std::string name = context_.catalogue.FindVideo(video_id)->name.In(request.Lang());
  switch (found.state) {
    case media::VideoLibrary::State::kNoFile: return false;
    case media::VideoLibrary::State::kFailed:
      throw ApiFailure(kErrorInternal, kEncodingFailedText.In(request.Lang()));
    case media::VideoLibrary::State::kPreparing: {
      {
        const std::lock_guard lock(mutex_);
        std::time_t& since = video_waits_[waiter];
        if (!parking_.CurrentRequestResumed() || since == 0) since = now;
        if (now - since > kLongestVideoWait) {
          video_waits_.erase(waiter);
          throw ApiFailure(kErrorPreparing, FormatText(kPreparingText.In(request.Lang()), {name}));
        }
      }
      // Transcoding: the request waits, holding no worker, and looks again.
      std::shared_ptr<void> hold = waiting_.Take(account.id);
      if (hold == nullptr) throw ApiFailure(kErrorBusy, kBusyText.In(request.Lang()));
      parking_.ParkCurrentRequest(RequestParking::WallClock::now() + std::chrono::seconds(1), std::move(hold));
      return true;
    }
    case media::VideoLibrary::State::kReady: break;
  }
  {
    const std::lock_guard lock(mutex_);
    video_waits_.erase(waiter);
  }
  auto file = std::make_shared<std::ifstream>(found.file, std::ios::binary);
  std::error_code ec;
  const auto size = std::filesystem::file_size(found.file, ec);
  if (!*file || ec) throw ApiFailure(kErrorInternal, kEncodingFailedText.In(request.Lang()));
  response.set_header("Content-Disposition", "inline; filename=\"orva" + std::to_string(video_id) + ".ogv\"");
  response.set_content_provider(
      static_cast<std::size_t>(size), kSegmentType, [file](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        constexpr std::size_t kChunk = 64 * 1024;
        std::vector<char> chunk(std::min(length, kChunk));
        file->seekg(static_cast<std::streamoff>(offset));
        file->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const auto got = static_cast<std::size_t>(file->gcount());
        return got > 0 && sink.write(chunk.data(), got);
      });
  return true;
}

}  // namespace kestrova::server
