// The audio output: plays the playback thread's PCM blocks on the waveform
// device and paces the whole player. Its buffers are one video-frame period
// long and about a third of a second of them circulate; the playback thread
// waits here while all are queued, and every buffer the device finishes
// draws one picture (through the listener) before it is counted free again.
//
// Threads: OpenAudio, WriteAudio and CloseAudio run on the playback thread
// (OpenAudio also on the thread that queues the first segment); the device
// notification (OnBufferDone) runs on the device's notification thread;
// SetVolume, Abort and DestroyAudio on the user-interface thread.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "platform/status.h"
#include "platform/wave_out.h"

namespace kestrova::player {

class AudioListener {
 public:
  // A device buffer has been played: the next picture is due.
  virtual void BufferPlayed() = 0;

 protected:
  ~AudioListener() = default;
};

class AudioOutput {
 public:
  static constexpr int kMinBufferCount = 2;
  static constexpr int kMaxVolumeLevel = 64;

  explicit AudioOutput(AudioListener& listener);
  ~AudioOutput() { DestroyAudio(); }
  AudioOutput(const AudioOutput&) = delete;
  AudioOutput& operator=(const AudioOutput&) = delete;

  // About a third of a second of one-frame buffers: numerator / (3 x
  // denominator), never fewer than two, so that one plays while the next is
  // filled even at a frame rate below 3 per second.
  static int BufferCount(long frameRateNumerator, long frameRateDenominator);
  // The device volume of a level 0..64 for each channel: 0, else
  // level x 1024 - 1 (64 gives 65535); left in the low 16 bits, right in the high.
  static std::uint32_t DeviceVolume(int level);

  // Allocates the buffers for this format and opens the device; fails when
  // the format has no block size or the device cannot be opened.
  platform::Status OpenAudio(int channels, long rate, long frameRateNumerator, long frameRateDenominator);
  // For the next segment. Only the frame rate changed: the open device
  // keeps playing what is queued while new buffers of the new block size
  // take over, so no gap is heard. A new sound format: what is queued plays
  // out and the device is opened again for it.
  platform::Status ChangeFormat(int channels, long rate, long frameRateNumerator, long frameRateDenominator);
  // Copies PCM into the buffers, queues every buffer that becomes full, and
  // waits while none is free. Returns early once Abort was called.
  void WriteAudio(std::span<const std::uint8_t> data);
  // Waits until every queued buffer has been played (or Abort).
  void Drain();
  // Returns every queued buffer, closes the device, frees the buffers.
  void CloseAudio();
  void DestroyAudio() { CloseAudio(); }
  void SetVolume(int level);
  // True once a device had to be opened on the silent driver because the
  // system has no sound device; safe on any thread.
  bool Silent() const;
  // Holds the device (and the devices opened later) until released: no
  // buffer comes back meanwhile, so playback stands still.
  void Hold(bool held);
  // Wakes a waiting writer for good: the player is going away.
  void Abort();

  bool IsOpen() const { return device_ != nullptr; }
  int BufferCountOpen() const { return static_cast<int>(buffers_.size()); }
  std::size_t BufferSize() const { return bufferSize_; }
  int FreeCount() const;
  // Times the device ran dry while playing (a gap in the sound), over every
  // device this output has opened; safe on any thread.
  int Underruns() const;

 private:
  // The device's notification, on its notification thread.
  static void OnBufferDone(void* instance, platform::WaveHeader& header);

  AudioListener& listener_;
  std::unique_ptr<platform::WaveOut> device_;
  struct Buffer {
    platform::WaveHeader header;  // header.user = fill position
    std::vector<std::uint8_t> data;
  };
  using Buffers = std::vector<std::unique_ptr<Buffer>>;
  static Buffers MakeBuffers(std::size_t size, int count);
  // Whether the header is one of the current layout's buffers; under lock_.
  bool IsCurrent(const platform::WaveHeader& header) const;

  Buffers buffers_;  // the ring being filled, in order
  // An earlier layout's buffers, kept until the device has given back every
  // one of them (retiredQueued_, under lock_, counts those still out).
  Buffers retired_;
  int retiredQueued_ = 0;
  int channels_ = 0;
  long rate_ = 0;
  std::size_t bufferSize_ = 0;
  std::size_t current_ = 0;  // the buffer being filled
  int volumeLevel_ = kMaxVolumeLevel;

  mutable std::mutex lock_;           // guards freeCount_, aborted_, silent_, held_ and device_'s replacement
  std::condition_variable returned_;  // a buffer came back (or Abort)
  int freeCount_ = 0;
  bool aborted_ = false;
  int closedUnderruns_ = 0;  // of the devices already closed; under lock_
  bool silent_ = false;
  bool held_ = false;
};

}  // namespace kestrova::player
