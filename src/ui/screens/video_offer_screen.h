// Screen 17: the purchase options of an on-demand video, one row per
// quality the purchase answer offered. Choosing one opens the video's file
// in that quality in the system's browser; the built-in player is not
// involved.
#pragma once

#include <functional>
#include <string>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class VideoOfferScreen final : public CatalogueScreen {
 public:
  // Hands an address to the system's browser; false when it could not.
  using BrowserLauncher = std::function<bool(const std::wstring& url)>;

  VideoOfferScreen();
  // With another launcher (tests record the address instead of starting a
  // browser).
  explicit VideoOfferScreen(BrowserLauncher launcher);

  // With the video of the details screen; false when it holds none.
  bool Enter(const ScreenEntry& entry) override;
  void Draw(Painter& painter, platform::Canvas& target) override;

  const model::ProgrammeElement* Video() const { return video_; }

 private:
  void Activate() override;
  void Back() override;

  model::ProgrammeElement* video_ = nullptr;  // not owning
  BrowserLauncher launcher_;
};

}  // namespace kestrova::ui::screens
