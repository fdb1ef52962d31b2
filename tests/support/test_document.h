// A document for network tests: SDL events, a message loop and a registry
// file with the distribution values (affiliate 2, friend 5, aggregator 7),
// with the API base URL of the test's server, English texts loaded and a
// clock the test sets.
#pragma once

#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>

#include "app/kestrova_doc.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/sdl_handles.h"
#include "platform/ui_loop.h"
#include "support/temp_dir.h"

namespace kestrova::test {

class ManualClock final : public platform::Clock {
 public:
  std::time_t Now() const override { return now; }
  std::time_t now = 0;
};

// Moves on by `step` at every reading, so a timed exchange takes exactly
// one step however fast the machine is.
class SteppingClock final : public platform::MonotonicClock {
 public:
  TimePoint Now() const override {
    const std::lock_guard lock(mutex_);
    now_ += step;
    return now_;
  }
  std::chrono::steady_clock::duration step = std::chrono::milliseconds(500);

 private:
  mutable std::mutex mutex_;
  mutable TimePoint now_;
};

class TestDocument {
 public:
  static constexpr int kAffiliateId = 2;
  static constexpr int kFriendId = 5;
  static constexpr int kAgregatorId = 7;

  explicit TestDocument(const std::wstring& apiBaseUrl);
  ~TestDocument();
  TestDocument(const TestDocument&) = delete;
  TestDocument& operator=(const TestDocument&) = delete;

  app::CKestrovaDoc& Doc() { return *document_; }
  app::CKestrovaDoc* operator->() { return document_.get(); }
  ManualClock& Clock() { return clock_; }
  SteppingClock& Monotonic() { return monotonic_; }

 private:
  platform::SdlLibrary sdl_{SDL_INIT_EVENTS};
  platform::UiLoop loop_;
  TempDir dir_;
  std::unique_ptr<platform::Registry> registry_;
  ManualClock clock_;
  SteppingClock monotonic_;
  std::unique_ptr<app::CKestrovaDoc> document_;
};

// Points $TMPDIR at a fresh folder for the life of the object, so a test
// can see every temporary file the code under test leaves behind.
class ScopedTempDirectory {
 public:
  ScopedTempDirectory();
  ~ScopedTempDirectory();
  ScopedTempDirectory(const ScopedTempDirectory&) = delete;
  ScopedTempDirectory& operator=(const ScopedTempDirectory&) = delete;

  const std::filesystem::path& Path() const { return dir_.Path(); }
  std::size_t FileCount() const;

 private:
  TempDir dir_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace kestrova::test
