// The live stream session: reading the set-up answer's header lines, the
// quality choice and rate measurement, and FetchLiveSegment's two exchanges
// against a loopback server: where the segment file goes, and that none is
// left behind when nobody takes it, the body is no segment, or the session
// ends during the download.
#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <thread>
#include <vector>

#include "net/stream_session.h"
#include "net/stream_setup_answer.h"
#include "support/local_time.h"
#include "support/loopback_server.h"
#include "support/test_document.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using net::SetupAnswer;

constexpr int kUserId = 42;
constexpr std::int64_t kFakeSegmentBytes = 3000;

std::time_t LocalMoment(int hour, int minute, int second) { return LocalTime(2024, 6, 11, hour, minute, second); }

// Takes every segment offered, or refuses all (no player).
struct RecordingSink final : net::SegmentSink {
  bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override {
    files.push_back(file);
    lastProgramme = programme;
    return accept;
  }
  bool accept = true;
  std::vector<std::filesystem::path> files;
  std::wstring lastProgramme;
};

std::string FakeSegment() { return "OggS" + std::string(kFakeSegmentBytes - 4, 'x'); }

TEST(StreamSetupAnswer, HeaderLinesAreFoundOnlyAtTheStartOfALine) {
  const SetupAnswer answer(
      L"HTTP/1.1 200 OK\r\nXS1: 9\r\nQual_num: 2 \r\nS1:  700 \r\nS2:x S1: 5\r\nS1: 800\r\nVideo_name: Новости дня\r\n"
      L"Len:10");
  EXPECT_EQ(answer.QualityCount(), 2);
  EXPECT_EQ(answer.SizeText(1), L"700");  // not XS1's, not the later S1 line
  EXPECT_EQ(answer.SizeText(2), L"x S1: 5");
  EXPECT_EQ(answer.Size(2), 0);
  EXPECT_EQ(answer.SizeText(3), L"");  // beyond the announced count
  EXPECT_EQ(answer.VideoName(), L"Новости дня");
  EXPECT_EQ(answer.SegmentSeconds(), 10);
  EXPECT_FALSE(answer.VideoId());
  EXPECT_EQ(SetupAnswer(L"Video_id: 1044\r\n").VideoId(), 1044);
  EXPECT_FALSE(SetupAnswer(L"Video_id:   \r\n").VideoId());
  // Missing, unreadable or absurd counts.
  EXPECT_EQ(SetupAnswer(L"").QualityCount(), 0);
  EXPECT_EQ(SetupAnswer(L"Qual_num: many").QualityCount(), 0);
  EXPECT_EQ(SetupAnswer(L"Qual_num: -3").QualityCount(), 0);
  EXPECT_EQ(SetupAnswer(L"Qual_num: 999999999999").QualityCount(), net::kMaxAnnouncedQualities);
}

TEST(StreamSetupAnswer, QualityByChoiceOrBudgetTheRateMeasuredAndTheToken) {
  const SetupAnswer three(L"Qual_num: 3\r\nS1: 8000\r\nS2: 15000\r\nS3: 30000\r\nLen: 10\r\n");
  const SetupAnswer two(L"Qual_num: 2\r\nS1: 8000\r\nS2: 15000\r\nLen: 10\r\n");
  const SetupAnswer none(L"Video_name: x\r\n");
  // The user's choice, at most the announced count (0 when none announced).
  EXPECT_EQ(net::ChooseQuality(3, 0.0, two), 2);
  EXPECT_EQ(net::ChooseQuality(4, 1e9, three), 3);
  EXPECT_EQ(net::ChooseQuality(2, 0.0, none), 0);
  // Automatic: nothing measured yet, then the best that fits the budget.
  EXPECT_EQ(net::ChooseQuality(1, 0.0, three), net::kFallbackQuality);
  EXPECT_EQ(net::ChooseQuality(0, 1500.5, three), 2);  // budget 15005
  EXPECT_EQ(net::ChooseQuality(1, 3000.0, three), 3);
  EXPECT_EQ(net::ChooseQuality(1, 799.9, three), net::kFallbackQuality);  // even quality 1 is too big
  EXPECT_EQ(net::ChooseQuality(1, 100.0, none), net::kFallbackQuality);
  EXPECT_EQ(net::ChooseQuality(1, 1e300, three), 3);  // no overflow

  // The rate: bytes received over the time taken, to the sub-second.
  EXPECT_DOUBLE_EQ(*net::MeasureRate(15000, 3s), 5000.0);
  EXPECT_DOUBLE_EQ(*net::MeasureRate(3000, 250ms), 12000.0);
  EXPECT_FALSE(net::MeasureRate(15000, 0s));     // no time measured
  EXPECT_FALSE(net::MeasureRate(15000, -1ms));   // a clock that went back
  EXPECT_FALSE(net::MeasureRate(0, 3s));         // nothing received

  // The token: the local clock without padding.
  EXPECT_EQ(net::StreamToken(LocalMoment(0, 0, 0)), L"000");
  EXPECT_EQ(net::StreamToken(LocalMoment(9, 5, 7)), L"957");
}

class StreamSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    doc_->userId = kUserId;
    doc_->sessionKey = L"k&y=1";
    doc_->controlLink = server_.WideBaseUrl() + L"/live/";
    doc_->settings.languageId = 2;  // Russian: server language 1
    doc_.Clock().now = LocalMoment(12, 30, 5);
  }
  // A set-up answer with three qualities and a getvid body.
  void ServeStream(std::string body, std::vector<std::pair<std::string, std::string>> extra = {}) {
    server_.Handle("/live/cc.cgi", [body = std::move(body), extra](const LoopbackRequest& request) {
      LoopbackReply reply;
      reply.contentType = "text/plain";
      if (request.Param("query_type") == "setup") {
        reply.headers = {{"Qual_num", "3"}, {"S1", "1000"}, {"S2", "3000"}, {"S3", "9000"}, {"Len", "4"}};
        reply.headers.insert(reply.headers.end(), extra.begin(), extra.end());
      } else {
        reply.body = body;
      }
      return reply;
    });
  }
  model::RequestResultPtr Fetch(int channel, std::int64_t submittedAt) {
    return net::FetchLiveSegment(doc_.Doc().Api(), channel, submittedAt, sink_);
  }

  LoopbackServer server_;
  TestDocument doc_{server_.WideBaseUrl()};
  ScopedTempDirectory tmp_;
  RecordingSink sink_;
};

TEST_F(StreamSessionTest, SetUpThenGetvidHandsTheSegmentOnAndMeasuresTheRate) {
  ServeStream(FakeSegment(), {{"Video_name", "Утренние новости"}, {"Video_id", "1044"}});
  const auto submitted = static_cast<std::int64_t>(doc_.Clock().now) - 3;

  auto result = Fetch(102, submitted);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->ok, 1);
  EXPECT_EQ(result->message, L"");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2U);
  // The token is the submission's clock time, the same in both URLs.
  EXPECT_EQ(requests[0].target,
            "/live/cc.cgi?user_id=42&user_key=k%26y%3D1&channel_id=102&setup_type=bcast&lng_id=1&client_type=wm"
            "&query_type=setup&12302");
  // Nothing measured yet: quality 5, though only three were announced.
  EXPECT_EQ(requests[1].target,
            "/live/cc.cgi?user_id=42&user_key=k%26y%3D1&quality=5&client_type=wm&query_type=getvid&12302");
  // Both exchanges on one connection.
  EXPECT_EQ(requests[0].remotePort, requests[1].remotePort);

  ASSERT_EQ(sink_.files.size(), 1U);
  EXPECT_EQ(sink_.lastProgramme, L"Утренние новости");
  EXPECT_EQ(std::filesystem::file_size(sink_.files[0]), static_cast<std::uintmax_t>(kFakeSegmentBytes));
  EXPECT_EQ(doc_->liveStream.KnownVideo(), 1044);
  // The fallback quality is measured too: 3000 bytes in one step of the
  // clock (500 ms).
  EXPECT_DOUBLE_EQ(doc_->liveStream.MeasuredRate(), 6000.0);
  std::filesystem::remove(sink_.files[0]);

  // From the second segment on the automatic choice follows the rate: the
  // budget Len 4 x 6000/s = 24000 fits quality 3 (9000).
  ASSERT_EQ(Fetch(102, submitted)->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("quality"), "3");
  // A slower link (3000 bytes in 1.5 s: 2000/s, budget 8000) steps down to 2.
  doc_.Monotonic().step = 1500ms;
  ASSERT_EQ(Fetch(102, submitted)->ok, 1);
  EXPECT_DOUBLE_EQ(doc_->liveStream.MeasuredRate(), 2000.0);
  ASSERT_EQ(Fetch(102, submitted)->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("quality"), "2");
  // A chosen quality is asked for as it is, and measured as well.
  doc_.Monotonic().step = 3s;
  doc_->settings.qualityId = 2;
  ASSERT_EQ(Fetch(102, submitted)->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("quality"), "2");
  EXPECT_DOUBLE_EQ(doc_->liveStream.MeasuredRate(), 1000.0);
  doc_->settings.qualityId = 1;
  ServeStream(FakeSegment());  // no Video_id: the programme is no known video
  ASSERT_EQ(Fetch(102, static_cast<std::int64_t>(doc_.Clock().now))->ok, 1);
  EXPECT_EQ(server_.LastRequest().Param("quality"), "2");  // budget 4000
  EXPECT_FALSE(doc_->liveStream.KnownVideo());
  for (const auto& file : sink_.files) std::filesystem::remove(file);
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(StreamSessionTest, NoFileIsLeftWhenNobodyTakesItOrTheBodyIsNoSegment) {
  // No player: the segment is deleted and the set-up still succeeded.
  ServeStream(FakeSegment());
  sink_.accept = false;
  EXPECT_EQ(Fetch(102, 0)->ok, 1);
  EXPECT_EQ(sink_.files.size(), 1U);
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // An error page instead of a segment never reaches the player.
  sink_.accept = true;
  ServeStream("<html>no such session</html>");
  EXPECT_EQ(Fetch(102, 0)->ok, 0);
  ServeStream("");
  EXPECT_EQ(Fetch(102, 0)->ok, 0);
  EXPECT_EQ(sink_.files.size(), 1U);
  EXPECT_EQ(tmp_.FileCount(), 0U);

  // No server at all.
  doc_->controlLink = L"http://127.0.0.1:9/live/";
  EXPECT_EQ(Fetch(102, 0)->ok, 0);
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(StreamSessionTest, LeavingDuringTheDownloadLeavesNoFile) {
  server_.Handle("/live/cc.cgi", [](const LoopbackRequest& request) {
    LoopbackReply reply;
    if (request.Param("query_type") == "setup") {
      reply.headers = {{"Qual_num", "1"}, {"S1", "100000"}, {"Len", "4"}};
    } else {
      reply.body = "OggS" + std::string(100000, 'x');
      reply.stallAfter = 20000;
    }
    return reply;
  });
  std::atomic<bool> done{false};
  model::RequestResultPtr result;
  std::thread worker([&] {
    result = Fetch(102, 0);
    done = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (server_.BodyBytesSent() < 20000 && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(10ms);
  doc_->Network().cancel = 1;
  worker.join();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->ok, 0);
  EXPECT_TRUE(sink_.files.empty());
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

TEST_F(StreamSessionTest, ASegmentBodyMayTakeLongerThanAnAnswerButNotForEver) {
  server_.Handle("/live/cc.cgi", [](const LoopbackRequest& request) {
    LoopbackReply reply;
    reply.contentType = "text/plain";
    if (request.Param("query_type") == "setup") {
      reply.headers = {{"Qual_num", "1"}, {"S1", "3000"}, {"Len", "4"}};
    } else {
      reply.body = FakeSegment();
      reply.pieceBytes = 120;
      reply.pause = 100ms;  // the segment takes 2.5 s
    }
    return reply;
  });
  doc_->Network().httpLimits.exchangeTimeout = 1s;
  EXPECT_EQ(Fetch(102, 0)->ok, 1);
  ASSERT_EQ(sink_.files.size(), 1U);
  std::filesystem::remove(sink_.files[0]);
  doc_->Network().segmentExchangeTimeout = 1s;
  EXPECT_EQ(Fetch(102, 0)->ok, 0);
  EXPECT_EQ(sink_.files.size(), 1U);
  EXPECT_EQ(tmp_.FileCount(), 0U);
}

}  // namespace
}  // namespace kestrova::test
