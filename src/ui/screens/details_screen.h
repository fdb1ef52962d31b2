// Screen 16: the details of a programme entry (or a video): its name, its
// preview pictures as they arrive one after another (at most six) shown as
// a slideshow, and the rows to watch or buy it and to mark it a favourite.
#pragma once

#include <memory>

#include "ui/screens/catalogue_screen.h"

namespace kestrova::ui::screens {

class DetailsScreen final : public CatalogueScreen {
 public:
  static constexpr int kMaxPictures = 6;

  DetailsScreen();

  bool Enter(const ScreenEntry& entry) override;
  void OnPopupKey(int key) override;
  void OnRequestDone(int command, model::RequestResultPtr result) override;
  void Draw(Painter& painter, platform::Canvas& target) override;
  // Once a second while current: the slideshow's next picture.
  bool RunSecondStep() override;

  model::ProgrammeElement* Record() const { return record_; }
  int PicturesRequested() const { return requested_; }
  int PicturesLoaded() const { return loaded_; }
  int PictureShown() const { return shown_; }
  // One step of the slideshow: the next loaded picture.
  void NextPicture();

 private:
  void Activate() override;
  void Back() override;
  void RequestPicture();
  void SubmitBuyInfo();

  model::ProgrammeElement* record_ = nullptr;  // not owning
  int returnScreen_ = kBlockProgrammeScreen;
  bool wantsToWatch_ = false;
  bool retryWithBill_ = false;
  bool offerShown_ = false;
  int requested_ = 0;
  int loaded_ = 0;
  int shown_ = 0;
  std::shared_ptr<PreviewDelivery> delivery_;  // of the picture being downloaded
};

}  // namespace kestrova::ui::screens
