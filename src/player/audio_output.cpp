#include "player/audio_output.h"

#include <algorithm>
#include <cstring>

#include "player/pcm_block.h"

namespace kestrova::player {
namespace {

constexpr long kBuffersPerSecondDivisor = 3;  // a third of a second of sound
constexpr std::uint32_t kVolumeUnit = 1024;
constexpr int kRightShift = 16;

}  // namespace

AudioOutput::AudioOutput(AudioListener& listener) : listener_(listener) {}

int AudioOutput::BufferCount(long frameRateNumerator, long frameRateDenominator) {
  if (frameRateNumerator <= 0 || frameRateDenominator <= 0) return kMinBufferCount;
  const long count = frameRateNumerator / (kBuffersPerSecondDivisor * frameRateDenominator);
  return static_cast<int>(std::max<long>(count, kMinBufferCount));
}

std::uint32_t AudioOutput::DeviceVolume(int level) {
  const int clamped = std::clamp(level, 0, kMaxVolumeLevel);
  const std::uint32_t v = clamped == 0 ? 0 : static_cast<std::uint32_t>(clamped) * kVolumeUnit - 1;
  return v | (v << kRightShift);
}

AudioOutput::Buffers AudioOutput::MakeBuffers(std::size_t size, int count) {
  Buffers buffers;
  for (int i = 0; i < count; ++i) {
    auto buffer = std::make_unique<Buffer>();
    buffer->data.assign(size, 0);
    buffer->header.data = buffer->data.data();
    buffer->header.length = size;
    buffers.push_back(std::move(buffer));
  }
  return buffers;
}

bool AudioOutput::IsCurrent(const platform::WaveHeader& header) const {
  return std::any_of(buffers_.begin(), buffers_.end(), [&](const auto& buffer) { return &buffer->header == &header; });
}

platform::Status AudioOutput::OpenAudio(int channels, long rate, long frameRateNumerator,
                                        long frameRateDenominator) {
  CloseAudio();
  const std::size_t size = PcmBlockSize(channels, rate, frameRateNumerator, frameRateDenominator);
  const int count = BufferCount(frameRateNumerator, frameRateDenominator);
  if (size == 0) return platform::Status::Failure("no PCM block size for this sound");
  buffers_ = MakeBuffers(size, count);
  bufferSize_ = size;
  current_ = 0;
  {
    const std::lock_guard guard(lock_);
    freeCount_ = count;
  }
  auto device = platform::WaveOut::Open({channels, static_cast<int>(rate)}, &AudioOutput::OnBufferDone, this);
  if (!device) {
    buffers_.clear();
    bufferSize_ = 0;
    return platform::Status::Failure("the sound device cannot be opened");
  }
  channels_ = channels;
  rate_ = rate;
  const std::lock_guard guard(lock_);
  device->SetVolume(DeviceVolume(volumeLevel_));
  if (held_) device->Hold(true);
  silent_ = silent_ || device->Silent();
  device_ = std::move(device);
  return {};
}

platform::Status AudioOutput::ChangeFormat(int channels, long rate, long frameRateNumerator,
                                           long frameRateDenominator) {
  if (!device_ || channels != channels_ || rate != rate_) {
    Drain();
    CloseAudio();
    return OpenAudio(channels, rate, frameRateNumerator, frameRateDenominator);
  }
  const std::size_t size = PcmBlockSize(channels, rate, frameRateNumerator, frameRateDenominator);
  const int count = BufferCount(frameRateNumerator, frameRateDenominator);
  if (size == 0) return platform::Status::Failure("no PCM block size for this sound");
  if (size == bufferSize_ && count == static_cast<int>(buffers_.size())) return {};
  Buffers fresh = MakeBuffers(size, count);
  const std::lock_guard guard(lock_);
  // Every buffer still in the device now belongs to an earlier layout and
  // takes a place among the new ones until it comes back, so no more than
  // `count` are ever queued.
  const int queued = static_cast<int>(buffers_.size()) - freeCount_;
  if (retiredQueued_ == 0) retired_.clear();
  for (auto& buffer : buffers_) retired_.push_back(std::move(buffer));
  retiredQueued_ = queued;
  buffers_ = std::move(fresh);
  bufferSize_ = size;
  current_ = 0;
  freeCount_ = count - queued;
  return {};
}

void AudioOutput::Drain() {
  std::unique_lock guard(lock_);
  if (!device_) return;
  const int count = static_cast<int>(buffers_.size());
  returned_.wait(guard, [&] { return freeCount_ >= count || aborted_; });
}

bool AudioOutput::Silent() const {
  const std::lock_guard guard(lock_);
  return silent_;
}

void AudioOutput::Hold(bool held) {
  const std::lock_guard guard(lock_);
  held_ = held;
  if (device_) device_->Hold(held);
}

void AudioOutput::WriteAudio(std::span<const std::uint8_t> data) {
  if (!device_ || buffers_.empty()) return;
  while (!data.empty()) {
    platform::WaveHeader& header = buffers_[current_]->header;
    const std::size_t room = bufferSize_ - header.user;
    if (data.size() < room) {
      std::memcpy(header.data + header.user, data.data(), data.size());
      header.user += data.size();
      return;
    }
    std::memcpy(header.data + header.user, data.data(), room);
    header.length = bufferSize_;
    {
      std::unique_lock guard(lock_);
      --freeCount_;
      device_->Write(header);
      // Every buffer is queued: wait until the device hands one back.
      returned_.wait(guard, [this] { return freeCount_ > 0 || aborted_; });
      if (aborted_) return;
    }
    current_ = (current_ + 1) % buffers_.size();
    buffers_[current_]->header.user = 0;
    data = data.subspan(room);
  }
}

void AudioOutput::OnBufferDone(void* instance, platform::WaveHeader& header) {
  auto& output = *static_cast<AudioOutput*>(instance);
  // The picture first: drawing delays the next wake-up of the playback
  // thread, never the reverse.
  output.listener_.BufferPlayed();
  {
    const std::lock_guard guard(output.lock_);
    ++output.freeCount_;
    if (output.retiredQueued_ > 0 && !output.IsCurrent(header)) --output.retiredQueued_;
  }
  output.returned_.notify_all();
}

void AudioOutput::CloseAudio() {
  std::unique_ptr<platform::WaveOut> device;
  {
    const std::lock_guard guard(lock_);
    if (device_) closedUnderruns_ += device_->Underruns();
    device = std::move(device_);
  }
  // Closing returns every queued buffer through OnBufferDone first.
  device.reset();
  buffers_.clear();
  retired_.clear();
  {
    const std::lock_guard guard(lock_);
    retiredQueued_ = 0;
  }
  bufferSize_ = 0;
  current_ = 0;
}

void AudioOutput::SetVolume(int level) {
  const std::lock_guard guard(lock_);
  volumeLevel_ = std::clamp(level, 0, kMaxVolumeLevel);
  if (device_) device_->SetVolume(DeviceVolume(volumeLevel_));
}

void AudioOutput::Abort() {
  {
    const std::lock_guard guard(lock_);
    aborted_ = true;
  }
  returned_.notify_all();
}

int AudioOutput::Underruns() const {
  const std::lock_guard guard(lock_);
  return closedUnderruns_ + (device_ ? device_->Underruns() : 0);
}

int AudioOutput::FreeCount() const {
  const std::lock_guard guard(lock_);
  return freeCount_;
}

}  // namespace kestrova::player
