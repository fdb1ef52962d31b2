// Channels with a real source against a real kestrova-server: a file looped
// on the clock and a live MPEG-TS stream over UDP, both made by the test
// (support/media_sources.h). What the server sends is read back with the
// player's own reader: the pictures match the source's at that moment, the
// sound runs on across segment boundaries without a gap, an awkward source
// (anamorphic, interlaced, 5.1 at 48 kHz, 29.97 pictures a second) is fitted
// with bars, bad sources get the error, and a live source that dies comes
// back.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <numbers>
#include <thread>

#include "player/pcm_block.h"
#include "player/segment_reader.h"
#include "support/media_sources.h"
#include "support/server_fixture.h"
#include "support/test_pattern.h"

namespace kestrova::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kFileChannel = 102;
constexpr int kLiveChannel = 103;
constexpr int kWideChannel = 104;
constexpr int kMissingChannel = 105;
constexpr int kSilentChannel = 106;
constexpr int kCorruptChannel = 107;
constexpr int kTestCardChannel = 101;
constexpr int kFilm = 1001;  // sold on demand
constexpr int kOffAir = 1604;
constexpr double kLeastPsnr = 25.0;

double WallNow() { return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count(); }

// Distance between two pattern times, around its period.
double PatternDistance(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), pattern::kPeriod);
  return std::min(d, pattern::kPeriod - d);
}

struct Luma {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> samples;
  double At(int x, int y) const { return samples[static_cast<std::size_t>(y * width + x)]; }
};

// PSNR of the picture's rows [top, top + rows) against the pattern at time t
// drawn into that area, over every `step`th sample across and down.
double Psnr(const Luma& picture, int top, int rows, double t, int step = 1) {
  double error = 0;
  long count = 0;
  for (int y = 0; y < rows; y += step) {
    for (int x = 0; x < picture.width; x += step, ++count) {
      const double want = 255.0 * pattern::Luma((x + 0.5) / picture.width, (y + 0.5) / rows, t);
      const double d = picture.At(x, top + y) - want;
      error += d * d;
    }
  }
  const double mse = error / static_cast<double>(count);
  return 10.0 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9));
}

// The pattern time the picture shows best (searched on a sparse grid of
// samples), with its PSNR over every sample.
std::pair<double, double> BestMatch(const Luma& picture, int top, int rows) {
  constexpr int kSteps = 400;
  const int sparse = std::max(1, picture.width / 48);
  double best_t = 0;
  double best = -1;
  for (int step = 0; step < kSteps; ++step) {
    const double t = step * pattern::kPeriod / kSteps;
    const double psnr = Psnr(picture, top, rows, t, sparse);
    if (psnr > best) {
      best = psnr;
      best_t = t;
    }
  }
  return {best_t, Psnr(picture, top, rows, best_t)};
}

// Segments read as the player reads them, one reader for all, so that its
// sound decoder goes on from segment to segment.
class PlayerReading {
 public:
  PlayerReading() : reader_(video_, audio_) {}

  // Reads the segment to its end: the pictures (luma) and the sound blocks.
  // Returns the number of blocks read.
  int Read(const std::filesystem::path& file, std::vector<Luma>* pictures) {
    reader_.Queue().Append({file, L"programme"});
    EXPECT_TRUE(reader_.OpenSegment());
    if (block_.empty()) {
      const th_info& info = video_.Info();
      block_.resize(player::PcmBlockSize(audio_.Channels(), audio_.Rate(), static_cast<long>(info.fps_numerator),
                                         static_cast<long>(info.fps_denominator)));
      channels_ = audio_.Channels();
    }
    int blocks = 0;
    while (reader_.ReadBlock(block_)) {
      ++blocks;
      for (std::size_t i = 0; i < block_.size(); i += 2U * static_cast<std::size_t>(channels_)) {
        left_.push_back(static_cast<std::int16_t>(block_[i] | (block_[i + 1] << 8)));
      }
      const std::lock_guard lock(video_.Lock());
      const auto picture = video_.FetchPicture();
      if (pictures != nullptr && picture) {
        Luma luma{picture->luma.width, picture->luma.height, {}};
        for (int y = 0; y < luma.height; ++y) {
          luma.samples.insert(luma.samples.end(), picture->luma.Row(y), picture->luma.Row(y) + luma.width);
        }
        pictures->push_back(std::move(luma));
      }
      video_.SwitchDecoder();
    }
    reader_.CloseSegment();
    reader_.Queue().DropFront();
    reader_.ResetSegment();
    return blocks;
  }
  const std::vector<std::int16_t>& Left() const { return left_; }
  int Rate() const { return static_cast<int>(audio_.Rate()); }
  int Channels() const { return channels_; }

 private:
  player::TheoraStream video_;
  player::VorbisStream audio_;
  player::SegmentReader reader_;
  std::vector<std::uint8_t> block_;
  int channels_ = 0;
  std::vector<std::int16_t> left_;
};

// The tone in `count` samples from `from`: its delay against the source's
// clock (in samples, within one period of the tone) and its level (1 = full
// scale).
struct Tone {
  double delay = 0;
  double level = 0;
};
Tone ToneAt(const std::vector<std::int16_t>& sound, std::size_t from, std::size_t count, int rate) {
  const double omega = 2 * std::numbers::pi * pattern::kToneHz / rate;
  double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
  for (std::size_t n = from; n < from + count && n < sound.size(); ++n) {
    const double s = std::sin(omega * static_cast<double>(n));
    const double c = std::cos(omega * static_cast<double>(n));
    ss += s * s;
    sc += s * c;
    cc += c * c;
    xs += sound[n] * s;
    xc += sound[n] * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det;
  const double b = (xc * ss - xs * sc) / det;
  return Tone{std::atan2(b, a) / omega, std::hypot(a, b) / 32767.0};
}

// The least level of the tone in short windows all along the sound.
double WeakestTone(const std::vector<std::int16_t>& sound, int rate) {
  constexpr std::size_t kWindow = 441;  // 20 ms
  double weakest = 1;
  for (std::size_t from = 0; from + kWindow <= sound.size(); from += kWindow / 2) {
    weakest = std::min(weakest, ToneAt(sound, from, kWindow, rate).level);
  }
  return weakest;
}

// Circular distance of two tone delays, in samples.
double DelayDistance(double a, double b, int rate) {
  const double period = rate / pattern::kToneHz;
  const double d = std::fmod(std::fabs(a - b), period);
  return std::min(d, period - d);
}

class RealChannelTest : public ServerTest {
 protected:
  std::vector<std::string> ServerOptions() override {
    const auto sources = dir_.Path() / "sources";
    std::filesystem::create_directories(sources);
    std::string error;
    EXPECT_TRUE(MakeMediaFile(sources / "film.mkv", {}, &error)) << error;
    EXPECT_TRUE(MakeMediaFile(sources / "wide.mkv",
                              {"--video", "mpeg2video", "--audio", "flac", "--rate", "48000", "--channels", "6", "--fps",
                               "30000/1001", "--sar", "4:3", "--interlaced", "--seconds", "2"},
                              &error))
        << error;
    EXPECT_TRUE(MakeMediaFile(sources / "silent.mkv", {"--audio", "none", "--seconds", "1"}, &error)) << error;
    std::ofstream(sources / "corrupt.mkv", std::ios::binary) << std::string(64 * 1024, '\x5a');
    std::filesystem::create_directories(sources / "videos");
    EXPECT_TRUE(MakeMediaFile(sources / "videos" / (std::to_string(kFilm) + ".mkv"), {"--seconds", "2"}, &error))
        << error;
    udp_port_ = FreeUdpPort();
    WriteChannelsFile(sources / "channels.xml", {{kFileChannel, "film.mkv"},
                                                 {kLiveChannel, "udp://127.0.0.1:" + std::to_string(udp_port_)},
                                                 {kWideChannel, "wide.mkv"},
                                                 {kMissingChannel, "missing.mkv"},
                                                 {kSilentChannel, "silent.mkv"},
                                                 {kCorruptChannel, "corrupt.mkv"}});
    return {"--channels", (sources / "channels.xml").string(), "--videos", (sources / "videos").string(),
            "--video-cache", VideoCache().string()};
  }
  void SetUp() override {
    ServerTest::SetUp();
    if (HasFatalFailure()) return;
    session_ = api_->Register();
  }
  httplib::Result SetUpStream(int channel) {
    return api_->Raw("/stream/cc.cgi?user_id=" + std::to_string(session_.user_id) + "&user_key=" + session_.key +
                     "&channel_id=" + std::to_string(channel) +
                     "&setup_type=bcast&lng_id=2&client_type=wm&query_type=setup&123");
  }
  std::string Getvid(int quality) {
    const auto answer = api_->Raw("/stream/cc.cgi?user_id=" + std::to_string(session_.user_id) + "&user_key=" +
                                  session_.key + "&quality=" + std::to_string(quality) +
                                  "&client_type=wm&query_type=getvid&123");
    return answer && answer->status == 200 ? answer->body : std::string();
  }
  std::filesystem::path Save(const std::string& name, const std::string& bytes) { return dir_.Write(name, bytes); }
  std::filesystem::path VideoCache() const { return dir_.Path() / "video-cache"; }

  int udp_port_ = 0;
  Session session_;
};

std::size_t Announced(const httplib::Result& setup, int quality) {
  return static_cast<std::size_t>(std::stoul(setup->get_header_value(("S" + std::to_string(quality)).c_str())));
}

TEST_F(RealChannelTest, AFileLoopsOnTheClockItsPicturesMatchTheSourceAndItsSoundHasNoGaps) {
  const double asked = WallNow();
  const auto first = SetUpStream(kFileChannel);
  ASSERT_TRUE(first);
  ASSERT_EQ(first->status, 200) << first->body;
  EXPECT_EQ(first->get_header_value("Qual_num"), "4");
  // A run starts short (the clock may have passed its first second).
  const int first_length = std::stoi(first->get_header_value("Len"));
  EXPECT_LE(first_length, 2);
  EXPECT_FALSE(first->get_header_value("Video_name").empty());
  for (int quality = 1; quality < 4; ++quality) EXPECT_LT(Announced(first, quality), Announced(first, quality + 1));

  // Every quality is exactly what was announced. The next two segments
  // (fetched at once, as a client does) continue the first, twice as long
  // each time.
  std::vector<std::string> qualities;
  for (int quality = 1; quality <= 4; ++quality) {
    qualities.push_back(Getvid(quality));
    ASSERT_EQ(qualities.back().size(), Announced(first, quality)) << quality;
  }
  std::vector<std::string> following;
  int seconds = first_length;
  for (int length = first_length * 2; following.size() < 2; length *= 2) {
    const auto next = SetUpStream(kFileChannel);
    ASSERT_EQ(next->status, 200) << next->body;
    EXPECT_EQ(next->get_header_value("Len"), std::to_string(std::min(length, 6)));
    seconds += std::stoi(next->get_header_value("Len"));
    following.push_back(Getvid(2));
    ASSERT_EQ(following.back().size(), Announced(next, 2));
  }

  // The smallest and the largest picture show the source at the moment the
  // clock gives.
  for (const int quality : {1, 4}) {
    PlayerReading reading;
    std::vector<Luma> pictures;
    const int fps = quality == 1 ? 10 : 25;
    const auto& bytes = qualities[static_cast<std::size_t>(quality - 1)];
    EXPECT_EQ(reading.Read(Save("q" + std::to_string(quality) + ".ogg", bytes), &pictures), fps * first_length);
    ASSERT_EQ(static_cast<int>(pictures.size()), fps * first_length);
    const auto [start, start_psnr] = BestMatch(pictures.front(), 0, pictures.front().height);
    EXPECT_GT(start_psnr, kLeastPsnr) << "quality " << quality;
    EXPECT_LT(PatternDistance(start, asked), 2.0) << "the file is not where the clock says";
    for (const std::size_t i : {std::size_t{3}, pictures.size() - 1}) {
      const auto [at, psnr] = BestMatch(pictures[i], 0, pictures[i].height);
      EXPECT_GT(psnr, kLeastPsnr) << "quality " << quality << " picture " << i;
      EXPECT_LT(PatternDistance(at, start + static_cast<double>(i) / fps), 0.09) << "quality " << quality << " picture " << i;
    }
    RecordProperty("psnr_q" + std::to_string(quality), static_cast<int>(start_psnr));
    std::printf("quality %d: first picture PSNR %.1f dB\n", quality, start_psnr);
  }

  // The three segments read in a row by one reader: every picture has its
  // whole frame of sound, the tone keeps its place against the clock
  // (nothing lost, nothing added), and never falls silent.
  PlayerReading reading;
  std::vector<std::size_t> starts{0};
  int blocks = reading.Read(Save("s0.ogg", qualities[1]), nullptr);
  for (std::size_t i = 0; i < following.size(); ++i) {
    starts.push_back(reading.Left().size());
    blocks += reading.Read(Save("s" + std::to_string(i + 1) + ".ogg", following[i]), nullptr);
  }
  starts.push_back(reading.Left().size());
  EXPECT_EQ(blocks, seconds * 14);  // 14 pictures a second, none without its sound
  EXPECT_EQ(reading.Rate(), 22050);
  EXPECT_EQ(reading.Channels(), 2);
  // From the second segment on (the first one met a fresh decoder) the tone
  // sits at one place in the middle of every segment.
  const auto middle = [&](std::size_t k) {
    return ToneAt(reading.Left(), (starts[k] + starts[k + 1]) / 2 - 1024, 2048, reading.Rate());
  };
  double slip = 0;
  for (std::size_t k = 2; k + 1 < starts.size(); ++k) {
    slip = std::max(slip, DelayDistance(middle(k).delay, middle(1).delay, reading.Rate()));
    EXPECT_GT(middle(k).level, 0.4);
  }
  const double weakest = WeakestTone(reading.Left(), reading.Rate());
  RecordProperty("tone_slip_samples_x100", static_cast<int>(slip * 100));
  RecordProperty("weakest_tone_percent", static_cast<int>(weakest * 200));
  std::printf("sound over three segments: tone moved %.2f samples, weakest 20 ms of it %.0f%% of the tone\n", slip,
              weakest * 200);
  EXPECT_LT(slip, 2.0);
  EXPECT_GT(weakest, 0.05);
}

TEST_F(RealChannelTest, AnAnamorphicInterlacedSourceWithSurroundSoundIsFittedWithBars) {
  const auto setup = SetUpStream(kWideChannel);
  ASSERT_EQ(setup->status, 200) << setup->body;
  const std::string bytes = Getvid(4);
  ASSERT_EQ(bytes.size(), Announced(setup, 4));
  PlayerReading reading;
  std::vector<Luma> pictures;
  EXPECT_EQ(reading.Read(Save("wide.ogg", bytes), &pictures), 25 * std::stoi(setup->get_header_value("Len")));
  EXPECT_EQ(reading.Rate(), 22050);
  EXPECT_EQ(reading.Channels(), 2);
  ASSERT_FALSE(pictures.empty());
  const Luma& picture = pictures.front();
  ASSERT_EQ(picture.width, 320);
  ASSERT_EQ(picture.height, 240);
  // 16:9 in 4:3: 180 rows of picture between bars of 30.
  for (const int row : {2, 27, 212, 237}) {
    for (int x = 0; x < picture.width; x += 16) EXPECT_LT(picture.At(x, row), 24) << "row " << row;
  }
  const auto [at, psnr] = BestMatch(picture, 30, 180);
  EXPECT_GT(psnr, kLeastPsnr);
  EXPECT_GT(WeakestTone(reading.Left(), reading.Rate()), 0.3);
}

TEST_F(RealChannelTest, BadSourcesGetTheErrorWithALogLineAndOtherChannelsGoOn) {
  for (const int channel : {kMissingChannel, kSilentChannel, kCorruptChannel}) {
    const auto refused = SetUpStream(channel);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503) << channel;
    EXPECT_EQ(refused->get_header_value("Error_id"), std::to_string(kOffAir));
    EXPECT_FALSE(refused->has_header("Qual_num"));
    EXPECT_FALSE(refused->body.empty());
  }
  EXPECT_EQ(SetUpStream(kFileChannel)->status, 200);
  EXPECT_EQ(SetUpStream(kTestCardChannel)->status, 200);
  std::ifstream log(dir_.Path() / "server.err");
  const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("channel 105"), std::string::npos) << text;
  EXPECT_NE(text.find("cannot open"), std::string::npos) << text;
  EXPECT_NE(text.find("has no sound"), std::string::npos) << text;
  EXPECT_NE(text.find("channel 107"), std::string::npos) << text;
}

TEST_F(RealChannelTest, ALiveSourceThatDiesGivesTheErrorAndComesBack) {
  auto sender = std::make_unique<LiveSender>(udp_port_);
  ASSERT_TRUE(sender->Running());
  const auto first = SetUpStream(kLiveChannel);
  ASSERT_EQ(first->status, 200) << first->body;
  const std::string bytes = Getvid(3);
  ASSERT_EQ(bytes.size(), Announced(first, 3));
  PlayerReading reading;
  std::vector<Luma> pictures;
  EXPECT_EQ(reading.Read(Save("live.ogg", bytes), &pictures), 15 * std::stoi(first->get_header_value("Len")));
  ASSERT_FALSE(pictures.empty());
  // 4:3 in 176 x 144: 132 rows between bars of 6.
  for (const Luma& picture : {pictures.front(), pictures.back()}) {
    EXPECT_GT(BestMatch(picture, 6, 132).second, kLeastPsnr);
  }

  // The source dies: within seconds the set-up says the channel is off the air.
  sender->Stop();
  auto deadline = Clock::now() + 30s;
  int status = 200;
  while (status == 200 && Clock::now() < deadline) {
    const auto setup = SetUpStream(kLiveChannel);
    ASSERT_TRUE(setup);
    status = setup->status;
    if (status == 200) Getvid(3);
  }
  EXPECT_EQ(status, 503);
  // It comes back: so does the channel.
  sender = std::make_unique<LiveSender>(udp_port_);
  deadline = Clock::now() + 45s;
  while (status != 200 && Clock::now() < deadline) {
    std::this_thread::sleep_for(250ms);
    status = SetUpStream(kLiveChannel)->status;
  }
  EXPECT_EQ(status, 200);
  EXPECT_FALSE(Getvid(1).empty());
}

TEST_F(RealChannelTest, AnOnDemandVideoFileIsTranscodedOnceAndServedFromTheCache) {
  ASSERT_EQ(api_->Get("/gifts.php?code=WELCOME&" + session_.Query() + "&lng_id=2&codepage=utf8&client=wm&dist_number=1")
                .ErrorId(), 0);
  ASSERT_EQ(api_->Get("/buy_info.php?" + session_.Query() + "&video_id=" + std::to_string(kFilm) +
                      "&type=pl&lng_id=2&codepage=utf8&client=wm&dist_number=1").ErrorId(), 0);
  const std::string path = "/stream//orva" + std::to_string(kFilm) + ".3gp?user_id=" + std::to_string(session_.user_id) +
                           "&user_key=" + session_.key + "&quality=1&client_type=java&query_type=getvid_ondemand&video_id=" +
                           std::to_string(kFilm);
  // The first request waits while the file is transcoded.
  const auto film = api_->Raw(path);
  ASSERT_TRUE(film);
  ASSERT_EQ(film->status, 200) << film->body;
  EXPECT_EQ(film->get_header_value("Content-Type"), "video/ogg");
  PlayerReading reading;
  std::vector<Luma> pictures;
  EXPECT_GE(reading.Read(Save("film.ogv", film->body), &pictures), 19);  // 2 s at 10 pictures a second
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(pictures.front().width, 96);
  EXPECT_GT(BestMatch(pictures[pictures.size() / 2], 0, pictures.front().height).second, kLeastPsnr);
  EXPECT_EQ(reading.Rate(), 22050);

  // Kept whole in the cache, and sent from there the next time.
  std::vector<std::filesystem::path> kept;
  for (const auto& entry : std::filesystem::directory_iterator(VideoCache())) kept.push_back(entry.path());
  ASSERT_EQ(kept.size(), 1U);
  EXPECT_EQ(kept.front().extension(), ".ogv");
  const auto again = api_->Raw(path);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->body, film->body);
}

}  // namespace
}  // namespace kestrova::test
