// Waveform output over SDL audio, in the handset's manner: the caller owns
// its buffers, writes them to the device one after another, and hears about
// each one the device has finished through a callback with the instance value
// it gave when opening. SDL's audio callback consumes the queued buffers in
// order; a notification thread of the device's own reports every finished
// buffer, in order, so the callback never runs inside SDL's audio thread.
// The volume is a software gain applied while the samples are copied out.
//
// Threads: Open, Write, Reset, SetVolume and Close run on the caller's
// threads; SDL's audio thread runs FillStream; the notification thread
// (NotifyLoop) runs the callback. The queue and the finished list are
// intrusive lists through WaveHeader::next, so neither the audio callback nor
// the notification thread allocates.
#pragma once

#include <SDL.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace kestrova::platform {

// One buffer of 16-bit signed little-endian interleaved samples, owned by
// the caller and lent to the device from Write until the callback reports it.
struct WaveHeader {
  std::uint8_t* data = nullptr;
  std::size_t length = 0;  // bytes to play
  std::size_t user = 0;    // free for the caller (the fill position)
  bool inQueue = false;    // written and not yet reported finished
  WaveHeader* next = nullptr;  // the device's list link
};

struct WaveFormat {
  int channels = 2;
  int rate = 44100;
};

// Called on the notification thread for each finished buffer, in the order
// they were written. Must not call Reset or Close of the same device.
using WaveCallback = void (*)(void* instance, WaveHeader& header);

// SDL's audio subsystem for the life of the object. Held by whoever will
// open devices from other threads, and made on the user-interface thread:
// choosing the driver there keeps SDL's per-thread error texts off the
// threads that open the devices, which SDL would never free.
class AudioSystem {
 public:
  AudioSystem() : ok_(SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {}
  ~AudioSystem() {
    if (ok_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  AudioSystem(const AudioSystem&) = delete;
  AudioSystem& operator=(const AudioSystem&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

// Frees what SDL keeps for the calling thread (its error text). SDL frees it
// only for threads it started itself, so a thread of ours that used SDL
// calls this before it ends.
void ReleaseThreadState();

class WaveOut {
 public:
  // Full volume in both channels.
  static constexpr std::uint32_t kFullVolume = 0xFFFFFFFFU;

  // Opens the default output device; null when it cannot be opened. When
  // the system has no sound device that opens, it opens SDL's silent
  // ("dummy") driver instead, which consumes the sound at its real rate;
  // Silent() tells.
  static std::unique_ptr<WaveOut> Open(const WaveFormat& format, WaveCallback callback, void* instance);
  WaveOut(WaveCallback callback, void* instance);  // use Open
  ~WaveOut();
  WaveOut(const WaveOut&) = delete;
  WaveOut& operator=(const WaveOut&) = delete;

  // Queues a buffer behind the ones already written.
  void Write(WaveHeader& header);
  // Returns every queued buffer (each reported through the callback, in
  // order) and waits until the reports have been made.
  void Reset();
  // Volume 0..65535 for the left (low 16 bits) and right (high 16 bits)
  // channel; a mono device takes the left one.
  void SetVolume(std::uint32_t leftAndRight);
  std::uint32_t Volume() const { return volume_.load(); }
  // True when no real sound device could be opened and the sound goes
  // nowhere (not when SDL_AUDIODRIVER chose the silent driver itself).
  bool Silent() const { return silent_; }
  // Holds the device: while held it plays nothing and no buffer finishes,
  // so its user stands still (a test's way of stopping time); false plays on.
  void Hold(bool held);
  // Buffers written and not yet reported.
  int Queued() const;
  // Times the device ran dry while playing: it had played written sound and
  // then found nothing queued, so it filled silence until the next buffer
  // came (a gap in the sound). A device that has not played anything yet,
  // or that waits again after running dry, is not counted twice.
  int Underruns() const { return underruns_.load(); }

 private:
  static void SdlCallback(void* self, Uint8* stream, int length);
  // SDL's audio thread.
  void FillStream(Uint8* stream, int length);
  // The notification thread's entry point.
  void NotifyLoop();
  // With lock_ held: moves the head of the queue to the finished list.
  void FinishHead();

  WaveCallback callback_;
  void* instance_;
  int channels_ = 0;
  SDL_AudioDeviceID device_ = 0;
  bool audioInitialised_ = false;
  bool silent_ = false;
  std::atomic<std::uint32_t> volume_{kFullVolume};

  mutable std::mutex lock_;  // guards everything up to reporting_
  std::condition_variable changed_;
  WaveHeader* queueHead_ = nullptr;  // playing, then waiting
  WaveHeader* queueTail_ = nullptr;
  std::size_t headPosition_ = 0;     // bytes of the head already played
  WaveHeader* finishedHead_ = nullptr;  // waiting to be reported
  WaveHeader* finishedTail_ = nullptr;
  int queued_ = 0;
  bool reporting_ = false;  // the callback is running
  bool closing_ = false;
  bool sounding_ = false;   // played written sound since it last ran dry

  std::atomic<int> underruns_{0};

  std::thread notifier_;  // runs NotifyLoop
};

}  // namespace kestrova::platform
