// Live streams against a real kestrova-server: the set-up announces the
// exact sizes of the segment its getvid sends, other qualities get the
// default, bad keys and closed channels are refused; command 25 queues a
// segment the player's reader opens; an on-demand file is an Ogg stream; set-ups
// that must wait for the clock hold no worker, and an account cannot flood
// the server with them.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "net/account_endpoints.h"
#include "net/setup_endpoints.h"
#include "net/stream_session.h"
#include "net/stream_setup_answer.h"
#include "platform/clock.h"
#include "platform/utf8.h"
#include "player/segment_reader.h"
#include "support/raw_connection.h"
#include "support/sample_screens.h"
#include "support/server_fixture.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kNewsChannel = 102;
constexpr int kPaidChannel = 111;  // sold on its own
constexpr int kFilm = 1001;
constexpr int kQualityCount = 4;
constexpr int kDefaultQuality = 3;
constexpr int kBadSession = 1102;

// Keeps the first segment handed over and notes when it came.
class KeepingSink final : public net::SegmentSink {
 public:
  ~KeepingSink() override { std::filesystem::remove(file_); }
  bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override {
    const std::lock_guard lock(mutex_);
    if (!file_.empty()) return false;
    file_ = file;
    programme_ = programme;
    at_ = Clock::now();
    arrived_.notify_all();
    return true;
  }
  // The file, once it came within the time.
  std::filesystem::path Wait(std::chrono::seconds timeout) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, timeout, [&] { return !file_.empty(); });
    return file_;
  }
  std::wstring programme_;
  Clock::time_point at_;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::filesystem::path file_;
};

// Opens the file as the player does: both streams with their three headers,
// then the first block of sound with its picture.
void ExpectPlayable(const std::filesystem::path& file) {
  player::TheoraStream video;
  player::VorbisStream audio;
  player::SegmentReader reader(video, audio);
  reader.Queue().Append({file, L"programme"});
  ASSERT_TRUE(reader.OpenSegment());
  EXPECT_GE(reader.VideoHeaders(), 3);  // the first picture packet counts too
  EXPECT_EQ(reader.AudioHeaders(), 3);
  std::vector<std::uint8_t> block(static_cast<std::size_t>(2 * audio.Channels() * audio.Rate() / 10));
  EXPECT_TRUE(reader.ReadBlock(block));
  reader.CloseSegment();
}

class LiveStreamTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    if (HasFatalFailure()) return;
    session_ = api_->Register();
  }
  std::string Stream(const std::string& query, const Session& s) {
    return "/stream/cc.cgi?user_id=" + std::to_string(s.user_id) + "&user_key=" + s.key + "&" + query;
  }
  httplib::Result SetUpStream(int channel, const Session& s) {
    return api_->Raw(Stream("channel_id=" + std::to_string(channel) +
                                "&setup_type=bcast&lng_id=2&client_type=wm&query_type=setup&123",
                            s));
  }
  httplib::Result Getvid(int quality, const Session& s) {
    return api_->Raw(Stream("quality=" + std::to_string(quality) + "&client_type=wm&query_type=getvid&123", s));
  }
  // The client's document logged in with the same account, its control
  // link from the set-up answer.
  void LogInClient(TestDocument& doc) {
    doc.Clock().now = std::time(nullptr);
    doc->settings.languageId = 1;
    doc->settings.operatorId = 3;
    ASSERT_EQ(net::Login(doc.Doc().Api(), platform::DecodeUtf8(session_.login).value_or(L""),
                         platform::DecodeUtf8(session_.password).value_or(L""))->ok, 1);
    ASSERT_EQ(net::Setup(doc.Doc().Api())->ok, 1);
  }
  std::wstring BaseUrl() const {
    const std::string base = "http://127.0.0.1:" + std::to_string(server_->Port());
    return {base.begin(), base.end()};
  }

  Session session_;
};

std::size_t Announced(const httplib::Result& setup, int quality) {
  return static_cast<std::size_t>(std::stoul(setup->get_header_value(("S" + std::to_string(quality)).c_str())));
}

TEST_F(LiveStreamTest, TheGetvidSendsTheAnnouncedSegmentAndOtherQualitiesGetTheDefault) {
  const auto setup = SetUpStream(kNewsChannel, session_);
  ASSERT_TRUE(setup);
  ASSERT_EQ(setup->status, 200) << setup->body;
  EXPECT_EQ(setup->get_header_value("Qual_num"), std::to_string(kQualityCount));
  EXPECT_EQ(setup->get_header_value("Len"), "1");  // a short first segment starts playback soon
  EXPECT_FALSE(setup->get_header_value("Video_name").empty());
  for (int quality = 1; quality < kQualityCount; ++quality) EXPECT_LT(Announced(setup, quality), Announced(setup, quality + 1));

  const auto low = Getvid(2, session_);
  ASSERT_TRUE(low);
  EXPECT_EQ(low->get_header_value("Content-Type"), "video/ogg");
  EXPECT_EQ(low->body.size(), Announced(setup, 2));
  EXPECT_EQ(low->body.compare(0, 4, "OggS"), 0);
  for (const int quality : {5, 0, -1}) EXPECT_EQ(Getvid(quality, session_)->body.size(), Announced(setup, kDefaultQuality));

  // The next set-up continues the timeline with a longer segment.
  const auto next = SetUpStream(kNewsChannel, session_);
  EXPECT_EQ(next->get_header_value("Len"), "2");
  EXPECT_EQ(Getvid(4, session_)->body.size(), Announced(next, 4));
}

TEST_F(LiveStreamTest, BadKeysUnknownOrClosedChannelsAndAGetvidWithoutSetUpAreRefused) {
  Session stranger = session_;
  stranger.key = "0123456789abcdef0123456789abcdef";
  const auto refused = SetUpStream(kNewsChannel, stranger);
  EXPECT_EQ(refused->status, 403);
  EXPECT_EQ(refused->get_header_value("Error_id"), std::to_string(kBadSession));
  EXPECT_FALSE(refused->body.empty());
  EXPECT_FALSE(refused->has_header("Qual_num"));
  EXPECT_EQ(Getvid(2, stranger)->status, 403);

  EXPECT_EQ(Getvid(2, session_)->status, 409);  // nothing announced yet
  EXPECT_EQ(SetUpStream(99999, session_)->status, 404);
  EXPECT_EQ(SetUpStream(kPaidChannel, session_)->status, 403);
  EXPECT_EQ(api_->Raw("/stream/cc.cgi?user_id=1&user_key=x&query_type=dance")->status, 400);
}

TEST_F(LiveStreamTest, CommandTwentyFiveQueuesASegmentThePlayerOpens) {
  TestDocument doc(BaseUrl());
  ASSERT_NO_FATAL_FAILURE(LogInClient(doc));
  EXPECT_EQ(doc->controlLink, BaseUrl() + L"/stream/");
  KeepingSink sink;
  doc.Doc().SetSegmentSink(&sink);
  SampleListScreen player(ui::kPlayerScreen, {});
  ui::CommandParameters parameters;
  parameters.channelId = kNewsChannel;

  const auto submitted = Clock::now();
  doc.Doc().SubmitRequest(model::kCommandStreamSetup, player, false, parameters);
  const std::filesystem::path file = sink.Wait(30s);
  ASSERT_FALSE(file.empty());
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sink.at_ - submitted).count();
  RecordProperty("submit_to_queued_ms", static_cast<int>(ms));
  std::printf("command 25 to the first segment queued: %lld ms\n", static_cast<long long>(ms));
  EXPECT_FALSE(sink.programme_.empty());

  // Exactly the segment the set-up announced for this user, in the default
  // quality (nothing measured yet: the client asked for 5).
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, Getvid(kDefaultQuality, session_)->body);
  ExpectPlayable(file);
}

TEST_F(LiveStreamTest, WaitingSetUpsHoldNoWorkerAndAFloodGetsTheBusyErrorAtOnce) {
  // Seven set-ups in a row run the timeline 25 s ahead (1+2+4+6+6+6 s), more
  // than a stream may lead the clock: the eighth waits until about 7 s after
  // the first.
  for (int i = 0; i < 7; ++i) ASSERT_EQ(SetUpStream(kNewsChannel, session_)->status, 200);
  const std::string request = "GET " + Stream("channel_id=102&setup_type=bcast&lng_id=2&client_type=wm&query_type=setup&123",
                                               session_) + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  constexpr int kFlood = 30;
  std::vector<std::unique_ptr<RawConnection>> flood;
  for (int i = 0; i < kFlood; ++i) {
    flood.push_back(std::make_unique<RawConnection>(server_->Port()));
    ASSERT_TRUE(flood.back()->Send(request));
  }
  // A few wait, parked; every other one is refused as busy without waiting
  // for the clock. However slow the machine, the refusals come: wait until
  // at most the few are left (the parked ones answer only when their
  // segment is due, with 200, and then count as neither).
  constexpr std::size_t kMayWait = 2;
  const auto unanswered = [&] {
    std::size_t count = 0;
    for (auto& connection : flood) count += connection->Answered(0ms) ? 0 : 1;
    return count;
  };
  const auto patience = Clock::now() + 20s;
  while (unanswered() > kMayWait && Clock::now() < patience) std::this_thread::sleep_for(20ms);
  int busy = 0;
  std::vector<RawConnection*> waiting;
  for (auto& connection : flood) {
    if (!connection->Answered(0ms)) {
      waiting.push_back(connection.get());
    } else if (connection->StatusLine() == "HTTP/1.1 429 Too Many Requests") {
      ++busy;
    }
  }
  EXPECT_GE(busy, kFlood - 4);
  EXPECT_LE(waiting.size(), kMayWait);
  // Meanwhile every ordinary request is answered at once: the waiting
  // set-ups hold no worker.
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    EXPECT_EQ(api_->Raw("/blank.php")->status, 200);
    EXPECT_LT(Clock::now() - start, 1s);
  }
  // Clients that close their connection cancel their set-ups: a new one
  // waits (or, the machine being slow, is answered), never refused as busy.
  flood.clear();
  RawConnection next(server_->Port());
  ASSERT_TRUE(next.Send(request));
  if (next.Answered(1s)) {
    EXPECT_EQ(next.StatusLine(), "HTTP/1.1 200 OK");
  }
}

TEST_F(LiveStreamTest, TheOnDemandFileIsAnOggStreamOfABoughtVideo) {
  const std::string path = "/stream//orva" + std::to_string(kFilm) + ".3gp?user_id=" + std::to_string(session_.user_id) +
                           "&user_key=" + session_.key + "&quality=1&client_type=java&query_type=getvid_ondemand&video_id=" +
                           std::to_string(kFilm);
  EXPECT_EQ(api_->Raw(path)->status, 403);  // not bought
  ASSERT_EQ(api_->Get("/gifts.php?code=WELCOME&" + session_.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1")
                .ErrorId(), 0);
  ASSERT_EQ(api_->Get("/buy_info.php?" + session_.Query() + "&video_id=" + std::to_string(kFilm) +
                      "&type=pl&lng_id=2&codepage=utf8&client=wm&dist_number=1").ErrorId(), 0);

  const auto film = api_->Raw(path);
  ASSERT_TRUE(film);
  ASSERT_EQ(film->status, 200) << film->body;
  EXPECT_EQ(film->get_header_value("Content-Type"), "video/ogg");
  const auto file = dir_.Write("film.ogv", film->body);
  ExpectPlayable(file);
}

// A server whose getvid bodies leave at a limit the test changes.
class LinkLimitedStreamTest : public LiveStreamTest {
 protected:
  // A segment sent at the limit may take longer than an answer's time.
  std::vector<std::string> ServerOptions() override { return {"--link-kbps", "0", "--request-timeout", "120"}; }
  void SetLink(int kbps) {
    const auto answer = api_->Raw("/_link/kbps?set=" + std::to_string(kbps));
    ASSERT_TRUE(answer);
    ASSERT_EQ(answer->body, std::to_string(kbps) + "\n");
  }
  // The quality of the last getvid the server received.
  int LastGetvidQuality() {
    const auto log = api_->Raw("/_log/requests?clear=1");
    int quality = 0;
    std::istringstream lines(log ? log->body : std::string());
    for (std::string line; std::getline(lines, line);) {
      const auto at = line.find("&quality=");
      if (line.find("query_type=getvid") != std::string::npos && at != std::string::npos) {
        quality = std::atoi(line.c_str() + at + std::strlen("&quality="));
      }
    }
    return quality;
  }
};

// Drops every segment: only the choice of quality and the rate matter here.
struct DroppingSink final : net::SegmentSink {
  bool QueueSegment(const std::filesystem::path&, const std::wstring&) override { return false; }
};

// On automatic quality the client climbs to the top quality on a fast link,
// steps down when the link is limited below the top quality's rate, and
// climbs back when the limit goes. The server's segments of the top quality
// need some 70 kbit/s or more, the limit is less than half of that, and
// loopback carries hundreds of times more, so a busy machine cannot change
// the outcome (it can only measure less, which never raises the quality).
TEST_F(LinkLimitedStreamTest, AutomaticQualityFollowsTheLink) {
  constexpr int kTopQuality = kQualityCount;
  constexpr int kLimitKbps = 32;
  TestDocument doc(BaseUrl());
  ASSERT_NO_FATAL_FAILURE(LogInClient(doc));
  doc.Doc().Network().monotonic = &platform::SteadyClock::Instance();
  doc->settings.qualityId = 1;
  DroppingSink sink;
  std::vector<int> qualities;
  std::string record;
  const auto fetch = [&] {
    doc.Clock().now = std::time(nullptr);
    ASSERT_EQ(net::FetchLiveSegment(doc.Doc().Api(), kNewsChannel, doc.Clock().now, sink)->ok, 1);
    qualities.push_back(LastGetvidQuality());
    record += " q" + std::to_string(qualities.back()) + " (" +
              std::to_string(static_cast<long long>(doc->liveStream.MeasuredRate() * 8 / 1000)) + " kbit/s)";
  };
  api_->Raw("/_log/requests?clear=1");

  // Unlimited: the first segment asks for the fallback, the second already
  // for the top quality, within 3 segments at the latest.
  for (int i = 0; i < 3; ++i) ASSERT_NO_FATAL_FAILURE(fetch());
  EXPECT_EQ(qualities.front(), net::kFallbackQuality);
  EXPECT_EQ(qualities.back(), kTopQuality);

  // Limited: one segment is measured at the limit, the next steps down.
  EXPECT_EQ(api_->Raw("/_link/kbps?set=-1")->status, 400);
  ASSERT_NO_FATAL_FAILURE(SetLink(kLimitKbps));
  record += " | limited:";
  for (int i = 0; i < 2; ++i) ASSERT_NO_FATAL_FAILURE(fetch());
  EXPECT_NE(qualities.back(), kTopQuality);

  // Lifted: the segment after the first one measured at full speed climbs back.
  ASSERT_NO_FATAL_FAILURE(SetLink(0));
  record += " | lifted:";
  for (int i = 0; i < 2; ++i) ASSERT_NO_FATAL_FAILURE(fetch());
  EXPECT_EQ(qualities.back(), kTopQuality);
  std::printf("qualities per segment:%s\n", record.c_str());
  RecordProperty("qualities", record);
}

}  // namespace
}  // namespace kestrova::test
