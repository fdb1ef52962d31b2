// The media player: plays the queued live segments one after another. It
// owns the segment reader with its queue, the audio output and the video
// output, and runs one playback thread that decodes and feeds the audio
// device. There is no media clock: every PCM block lasts exactly one
// video-frame period and comes with one decoded picture, and each audio
// buffer the device finishes draws the newest picture, so the sound is the
// master and the pictures follow it frame by frame.
//
// States: 0 new (no segment opened yet), 2 ready (a segment and the audio
// device are open, no thread), 4 playing (the thread runs).
//
// Threads:
// - user-interface thread: AttachView, Play, Pause, Stop, Close, SetVolume,
//   SetFullScreen, PaintInterface, RecreateVideoAndResume. Its waits keep
//   handling the messages other threads send it, since the player's
//   notifications are sent synchronously to it.
// - stream worker thread: QueueSegment (and through it OpenFirst).
// - playback thread: PlaybackThread, the entry point below.
// - the audio device's notification thread: BufferPlayed (picture drawing).
// Locks: readerLock_ keeps OpenFirst and Stop apart; the video stream's lock
// (decoders, picture counters, surface) and the audio output's lock (free
// buffer count) are never held together.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <tuple>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "platform/bitmap.h"
#include "platform/wave_out.h"
#include "player/audio_output.h"
#include "player/player_view.h"
#include "player/segment_reader.h"
#include "player/theora_stream.h"
#include "player/video_output.h"
#include "player/vorbis_stream.h"

namespace kestrova::player {

class MediaPlayer final : private AudioListener {
 public:
  static constexpr int kStateNew = 0;
  static constexpr int kStateReady = 2;
  static constexpr int kStatePlaying = 4;
  // Without a Theora stream in the first segment the pace is 25 frames a second.
  static constexpr long kDefaultFrameRate = 25;

  MediaPlayer();
  ~MediaPlayer();
  MediaPlayer(const MediaPlayer&) = delete;
  MediaPlayer& operator=(const MediaPlayer&) = delete;

  // Binds the notifications and the video output to the view and makes the
  // video surface on its window; false when the surface cannot be made.
  [[nodiscard]] bool AttachView(PlayerView& view);

  // Appends a downloaded segment and takes its file over; with no segment
  // opened yet it opens this one (OpenFirst). False, leaving the file to the
  // caller, once the player is closed.
  [[nodiscard]] bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme);
  // Starts the playback thread when ready and none runs; clears the resume flag.
  void Play();
  // Stops the thread (queued sound plays out) and waits for it to end.
  void Pause();
  // Pause, then deletes every queued segment file, the one playing included.
  void Stop();
  // Stop, and releases the audio device and the video surface; the player
  // takes no more segments.
  void Close();

  bool IsPlaying() const { return state_.load() == kStatePlaying; }
  int State() const { return state_.load(); }
  bool IsFullScreen() const { return videoOut_.IsFullScreen(); }
  void SetFullScreen(bool fullScreen) { videoOut_.SetFullScreen(fullScreen); }
  void SetVolume(int level) { audioOut_.SetVolume(level); }
  std::size_t QueuedSegments() const { return reader_.Queue().Size(); }
  // No sound device could be opened: the sound goes nowhere, the pictures
  // still follow its pace.
  bool PlaysWithoutSound() const { return audioOut_.Silent(); }

  // Paused because the video surface was lost (or playing on a lost one).
  bool PausedForLostSurface();
  // A new video surface on the view's window, then Play.
  void RecreateVideoAndResume();
  // The view's answer to PlayerView::RequestInterfacePaint.
  void PaintInterface(const platform::Bitmap& interface) { videoOut_.PaintInterface(interface); }

  // For tests and measurements.
  AudioOutput& Audio() { return audioOut_; }
  VideoOutput& Video() { return videoOut_; }
  long FrameRateNumerator() const { return frameRateNumerator_; }
  long FrameRateDenominator() const { return frameRateDenominator_; }
  std::size_t PcmBlockBytes() const { return pcm_.size(); }

 private:
  // The playback thread's entry point.
  void PlaybackThread();
  // Ends the segment being played and opens the next one that yields a
  // block, refusing those that yield none; false when there is none (the
  // thread ends in state 2).
  bool NextSegment();
  // State 0 to 2: opens entry 0, takes the frame rate, opens the audio.
  // Fails, still in state 0, when no segment can be opened or no sound.
  platform::Status OpenFirst();
  // The audio output for the active Vorbis format and the kept frame rate.
  // With `keepDevice` (between segments) an open device of the same sound
  // format plays on through a change of frame rate.
  platform::Status OpenAudioForStream(bool keepDevice = false);
  // The frame rate of the open segment: its Theora stream's, else 25/1.
  std::pair<long, long> SegmentFrameRate() const;
  // A device buffer came back (audio notification thread).
  void BufferPlayed() override;
  // Waits on the user-interface thread without blocking the threads that
  // send to it.
  template <class Done>
  void WaitHandlingSent(Done done);
  std::unique_lock<std::mutex> LockReader();

  std::atomic<int> state_{kStateNew};
  std::atomic<bool> resume_{false};
  std::atomic<bool> threadRunning_{false};
  PlayerView* view_ = nullptr;
  std::unique_ptr<platform::AudioSystem> audioSystem_;  // from AttachView on

  TheoraStream video_;
  VorbisStream audio_;
  SegmentReader reader_{video_, audio_};
  VideoOutput videoOut_{video_};
  AudioOutput audioOut_{*this};  // last: its notifications use the others

  std::mutex readerLock_;  // guards closed_ and the reader outside the playback thread
  bool closed_ = false;
  long frameRateNumerator_ = kDefaultFrameRate;
  long frameRateDenominator_ = 1;
  std::vector<std::uint8_t> pcm_;  // one frame period of PCM; playback thread (or OpenFirst before it)
  // Guards the playback thread's start and end: state 2 to 4 with
  // threadRunning_ set, and back.
  std::mutex threadLock_;
  std::thread thread_;  // the playback thread; started and joined on the user-interface thread
};

}  // namespace kestrova::player
