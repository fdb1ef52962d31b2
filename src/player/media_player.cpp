#include "player/media_player.h"

#include <chrono>
#include <exception>
#include <utility>

#include "player/pcm_block.h"

namespace kestrova::player {
namespace {

// How often a wait on the user-interface thread looks again, handling the
// messages sent to it meanwhile.
constexpr std::chrono::milliseconds kWaitPoll{10};

}  // namespace

MediaPlayer::MediaPlayer() = default;

MediaPlayer::~MediaPlayer() { Close(); }

template <class Done>
void MediaPlayer::WaitHandlingSent(Done done) {
  platform::UiLoop* loop = view_ != nullptr ? &view_->Loop() : nullptr;
  const bool uiThread = loop != nullptr && loop->IsUiThread();
  while (!done()) {
    if (uiThread) loop->HandleSent();
    if (!done()) std::this_thread::sleep_for(kWaitPoll);
  }
}

std::unique_lock<std::mutex> MediaPlayer::LockReader() {
  std::unique_lock guard(readerLock_, std::try_to_lock);
  // The stream worker may hold it while it sends notification 27 to this
  // thread.
  if (!guard.owns_lock()) WaitHandlingSent([&] { return guard.try_lock(); });
  return guard;
}

bool MediaPlayer::AttachView(PlayerView& view) {
  view_ = &view;
  if (!audioSystem_) audioSystem_ = std::make_unique<platform::AudioSystem>();
  reader_.SetEvents(&view);
  return videoOut_.CreateVideo(view).Ok();
}

bool MediaPlayer::QueueSegment(const std::filesystem::path& file, const std::wstring& programme) {
  const std::lock_guard guard(readerLock_);
  if (closed_) return false;
  reader_.Queue().Append({file, programme});
  // When no sound can be opened the player stays new, and the next segment
  // queued tries again.
  if (state_.load() == kStateNew) static_cast<void>(OpenFirst());
  return true;
}

platform::Status MediaPlayer::OpenFirst() {
  // A first segment that cannot be read is dropped, and the next queued
  // one tried: kept at the head it would block every later segment.
  for (;;) {
    if (reader_.Queue().Size() == 0) return platform::Status::Failure("no segment to open");
    if (reader_.OpenSegment() && audio_.Ready() && reader_.AudioHeaders() > 0) break;
    reader_.RefuseSegment();
  }
  videoOut_.SetRepaint(true);
  std::tie(frameRateNumerator_, frameRateDenominator_) = SegmentFrameRate();
  if (platform::Status opened = OpenAudioForStream(); !opened) return opened;
  state_.store(kStateReady);
  return {};
}

std::pair<long, long> MediaPlayer::SegmentFrameRate() const {
  const th_info& info = video_.Info();
  if (reader_.VideoHeaders() > 0 && info.fps_numerator > 0 && info.fps_denominator > 0) {
    return {static_cast<long>(info.fps_numerator), static_cast<long>(info.fps_denominator)};
  }
  return {kDefaultFrameRate, 1};
}

platform::Status MediaPlayer::OpenAudioForStream(bool keepDevice) {
  const std::size_t size = PcmBlockSize(audio_.Channels(), audio_.Rate(), frameRateNumerator_, frameRateDenominator_);
  if (size == 0) return platform::Status::Failure("no PCM block size for this sound");
  pcm_.assign(size, 0);
  if (keepDevice) {
    return audioOut_.ChangeFormat(audio_.Channels(), audio_.Rate(), frameRateNumerator_, frameRateDenominator_);
  }
  return audioOut_.OpenAudio(audio_.Channels(), audio_.Rate(), frameRateNumerator_, frameRateDenominator_);
}

void MediaPlayer::Play() {
  resume_.store(false);
  if (state_.load() != kStateReady) return;
  // A thread told to stop (Pause, a lost surface) may still be finishing
  // its last block: it ends first, then a new one starts.
  WaitHandlingSent([this] { return !threadRunning_.load(); });
  const std::lock_guard guard(threadLock_);
  if (state_.load() != kStateReady || threadRunning_.load()) return;
  if (thread_.joinable()) thread_.join();
  state_.store(kStatePlaying);
  threadRunning_.store(true);
  videoOut_.SetShowing(true);
  thread_ = std::thread([this] { PlaybackThread(); });
}

void MediaPlayer::Pause() {
  {
    const std::lock_guard guard(threadLock_);
    int playing = kStatePlaying;
    state_.compare_exchange_strong(playing, kStateReady);
  }
  // The thread ends at its next look at the state; meanwhile it may be
  // sending a notification to this thread.
  WaitHandlingSent([this] { return !threadRunning_.load(); });
  if (thread_.joinable()) thread_.join();
}

void MediaPlayer::Stop() {
  Pause();
  const auto guard = LockReader();
  if (reader_.SegmentOpen()) {
    reader_.CloseSegment();
    reader_.Queue().DropFront();
  }
  reader_.ResetSegment();
  reader_.Queue().DropAll();
}

void MediaPlayer::Close() {
  {
    const auto guard = LockReader();
    closed_ = true;
  }
  // A writer waiting for a device buffer gives up at once.
  audioOut_.Abort();
  Stop();
  audioOut_.DestroyAudio();
  audioSystem_.reset();
  videoOut_.SetShowing(false);
  videoOut_.DestroyVideo();
}

bool MediaPlayer::PausedForLostSurface() {
  return resume_.load() || (IsPlaying() && videoOut_.SurfaceLost());
}

void MediaPlayer::RecreateVideoAndResume() {
  if (view_ == nullptr) return;
  if (!videoOut_.CreateVideo(*view_)) return;  // still lost: the next display reset tries again
  Play();
}

void MediaPlayer::BufferPlayed() {
  if (!threadRunning_.load()) return;
  if (videoOut_.DrawPicture() == VideoOutput::DrawResult::kSurfaceLost) {
    // The thread ends by itself; the view resumes after the display reset.
    int playing = kStatePlaying;
    state_.compare_exchange_strong(playing, kStateReady);
    resume_.store(true);
  }
}

bool MediaPlayer::NextSegment() {
  if (state_.load() != kStatePlaying) return false;
  const auto finished = reader_.Queue().Front();
  const std::wstring previous = finished ? finished->programme : std::wstring();
  // Deletes the played file and sends notification 26.
  reader_.FinishSegment();
  for (;;) {
    if (state_.load() != kStatePlaying) return false;
    if (!reader_.OpenSegment()) {
      if (reader_.Queue().Size() == 0) return false;  // ran dry: a later Play goes on
      reader_.RefuseSegment();  // missing or damaged: dropped unplayed, and the next one tried
      continue;
    }
    const auto entry = reader_.Queue().Front();
    videoOut_.SetRepaint(!entry || entry->programme != previous);
    // Each segment brings its own frame rate (another quality may have
    // another one): one block of sound per picture must last one frame
    // period of this segment, or the pictures would run at the wrong speed.
    // What is queued plays on, so no sound is dropped or cut.
    const auto frameRate = SegmentFrameRate();
    if (audio_.FormatChanged() || frameRate != std::pair{frameRateNumerator_, frameRateDenominator_}) {
      std::tie(frameRateNumerator_, frameRateDenominator_) = frameRate;
      // The new sound cannot be played: playback ends, as at a dry queue.
      if (!OpenAudioForStream(true)) return false;
    }
    if (reader_.ReadBlock(pcm_)) return true;
    // Not a single block (sound only, or damaged): dropped at once.
    reader_.RefuseSegment();
  }
}

void MediaPlayer::PlaybackThread() {
  try {
    while (state_.load() == kStatePlaying) {
      if (!reader_.ReadBlock(pcm_) && !NextSegment()) break;
      audioOut_.WriteAudio(pcm_);
    }
  } catch (const std::exception&) {
    // Memory ran out for a buffer: playback ends; the player stays usable.
  }
  videoOut_.SetShowing(false);
  platform::ReleaseThreadState();
  const std::lock_guard guard(threadLock_);
  int playing = kStatePlaying;
  state_.compare_exchange_strong(playing, kStateReady);
  threadRunning_.store(false);
}

}  // namespace kestrova::player
