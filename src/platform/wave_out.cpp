#include "platform/wave_out.h"

#include <algorithm>
#include <cstring>

namespace kestrova::platform {
namespace {

// Samples per channel of one SDL callback: about 23 ms at 44.1 kHz, short
// against a video-frame period so that buffers come back close to on time.
constexpr Uint16 kDeviceSamples = 1024;
constexpr int kGainShift = 16;
constexpr std::uint32_t kChannelMask = 0xFFFFU;

// Applies a 0..65535 gain to a run of interleaved samples.
void ApplyGain(std::int16_t* samples, std::size_t count, int channels, std::uint32_t volume) {
  const std::int32_t left = static_cast<std::int32_t>(volume & kChannelMask) + 1;
  const std::int32_t right = static_cast<std::int32_t>((volume >> kGainShift) & kChannelMask) + 1;
  for (std::size_t i = 0; i < count; ++i) {
    const std::int32_t gain = (channels > 1 && i % static_cast<std::size_t>(channels) == 1) ? right : left;
    samples[i] = static_cast<std::int16_t>((static_cast<std::int32_t>(samples[i]) * gain) >> kGainShift);
  }
}

// SDL's driver that plays nothing: it takes the sound at its real rate, so
// a player paced by its buffers runs as on a real device.
constexpr const char* kSilentDriver = "dummy";

bool OnSilentDriver() {
  const char* driver = SDL_GetCurrentAudioDriver();
  return driver != nullptr && std::strcmp(driver, kSilentDriver) == 0;
}

// Starts (counts) SDL's audio subsystem; when the chosen driver cannot
// start (none is available, or SDL_AUDIODRIVER names one that is not),
// starts it on the silent driver instead. True when it runs.
bool InitAudioSubsystem(bool& silent) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
  // The subsystem's count is back at 0, so the next start chooses the
  // driver again: the silent one, for this start only.
  SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, kSilentDriver, SDL_HINT_OVERRIDE);
  const bool started = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  silent = started;
  return started;
}

}  // namespace

void ReleaseThreadState() { SDL_TLSCleanup(); }

WaveOut::WaveOut(WaveCallback callback, void* instance) : callback_(callback), instance_(instance) {}

std::unique_ptr<WaveOut> WaveOut::Open(const WaveFormat& format, WaveCallback callback, void* instance) {
  if (callback == nullptr || format.channels <= 0 || format.rate <= 0) return nullptr;
  // The caller may be a thread SDL did not start (the stream worker).
  struct ThreadStateRelease {
    ~ThreadStateRelease() { ReleaseThreadState(); }
  } release;
  auto device = std::make_unique<WaveOut>(callback, instance);
  if (!InitAudioSubsystem(device->silent_)) return nullptr;
  device->audioInitialised_ = true;

  SDL_AudioSpec wanted{};
  wanted.freq = format.rate;
  wanted.format = AUDIO_S16LSB;
  wanted.channels = static_cast<Uint8>(format.channels);
  wanted.samples = kDeviceSamples;
  wanted.callback = &WaveOut::SdlCallback;
  wanted.userdata = device.get();
  SDL_AudioSpec obtained{};
  // No changes allowed: SDL converts to whatever the hardware takes.
  device->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  if (device->device_ == 0 && !OnSilentDriver()) {
    // The driver runs but has no device to open (no sound card, a
    // container, a remote session): the silent driver takes its place, so
    // the pictures, paced by the returned buffers, still come. Nothing else
    // has a device open: the player opens one at a time.
    SDL_AudioQuit();
    if (SDL_AudioInit(kSilentDriver) != 0) return nullptr;
    device->silent_ = true;
    device->device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
  }
  if (device->device_ == 0) return nullptr;
  device->channels_ = format.channels;
  device->notifier_ = std::thread([raw = device.get()] { raw->NotifyLoop(); });
  SDL_PauseAudioDevice(device->device_, 0);
  return device;
}

WaveOut::~WaveOut() {
  if (device_ != 0) {
    Reset();
    // Waits for a running audio callback to end.
    SDL_CloseAudioDevice(device_);
  }
  {
    const std::lock_guard guard(lock_);
    closing_ = true;
  }
  changed_.notify_all();
  if (notifier_.joinable()) notifier_.join();
  if (audioInitialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void WaveOut::Hold(bool held) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, held ? 1 : 0);
}

void WaveOut::Write(WaveHeader& header) {
  const std::lock_guard guard(lock_);
  header.inQueue = true;
  header.next = nullptr;
  if (queueTail_ != nullptr) {
    queueTail_->next = &header;
  } else {
    queueHead_ = &header;
    headPosition_ = 0;
  }
  queueTail_ = &header;
  ++queued_;
}

void WaveOut::FinishHead() {
  WaveHeader* done = queueHead_;
  queueHead_ = done->next;
  if (queueHead_ == nullptr) queueTail_ = nullptr;
  headPosition_ = 0;
  done->next = nullptr;
  if (finishedTail_ != nullptr) {
    finishedTail_->next = done;
  } else {
    finishedHead_ = done;
  }
  finishedTail_ = done;
}

void WaveOut::Reset() {
  std::unique_lock guard(lock_);
  while (queueHead_ != nullptr) FinishHead();
  sounding_ = false;  // silence from here on is wanted, not a gap
  changed_.notify_all();
  changed_.wait(guard, [this] { return (finishedHead_ == nullptr && !reporting_) || closing_; });
}

void WaveOut::SetVolume(std::uint32_t leftAndRight) { volume_.store(leftAndRight); }

int WaveOut::Queued() const {
  const std::lock_guard guard(lock_);
  return queued_;
}

void WaveOut::SdlCallback(void* self, Uint8* stream, int length) {
  static_cast<WaveOut*>(self)->FillStream(stream, length);
}

void WaveOut::FillStream(Uint8* stream, int length) {
  std::size_t wanted = static_cast<std::size_t>(length);
  Uint8* out = stream;
  bool finished = false;
  {
    const std::lock_guard guard(lock_);
    if (queueHead_ != nullptr) sounding_ = true;
    while (wanted > 0 && queueHead_ != nullptr) {
      WaveHeader& head = *queueHead_;
      const std::size_t left = head.length > headPosition_ ? head.length - headPosition_ : 0;
      const std::size_t take = std::min(left, wanted);
      std::memcpy(out, head.data + headPosition_, take);
      out += take;
      wanted -= take;
      headPosition_ += take;
      if (headPosition_ >= head.length) {
        FinishHead();
        finished = true;
      }
    }
    if (wanted > 0 && sounding_) {
      sounding_ = false;
      underruns_.fetch_add(1, std::memory_order_relaxed);
    }
  }
  // Nothing queued: silence until the next buffer arrives.
  if (wanted > 0) std::memset(out, 0, wanted);
  const std::uint32_t volume = volume_.load();
  if (volume != kFullVolume) {
    ApplyGain(reinterpret_cast<std::int16_t*>(stream), static_cast<std::size_t>(length) / sizeof(std::int16_t),
              channels_, volume);
  }
  if (finished) changed_.notify_all();
}

void WaveOut::NotifyLoop() {
  std::unique_lock guard(lock_);
  for (;;) {
    changed_.wait(guard, [this] { return finishedHead_ != nullptr || closing_; });
    if (finishedHead_ == nullptr) return;  // closing with nothing left to report
    WaveHeader* done = finishedHead_;
    finishedHead_ = done->next;
    if (finishedHead_ == nullptr) finishedTail_ = nullptr;
    done->next = nullptr;
    done->inQueue = false;
    --queued_;
    reporting_ = true;
    guard.unlock();
    callback_(instance_, *done);
    guard.lock();
    reporting_ = false;
    changed_.notify_all();
  }
}

}  // namespace kestrova::platform
