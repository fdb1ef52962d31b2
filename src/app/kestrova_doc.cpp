#include "app/kestrova_doc.h"

#include "platform/message_box.h"

namespace kestrova::app {

CKestrovaDoc::CKestrovaDoc(platform::Registry& registry, platform::UiLoop& loop, ApiBaseUrls urls)
    : registry_(registry), loop_(loop), urls_(std::move(urls)) {
  LoadSettings();
}

void CKestrovaDoc::LoadSettings() {
  if (!ReadSettings(registry_, urls_, settings)) {
    platform::ShowMessageBox("Kestrova", kSettingsFailureMessage);
    loop_.PostQuit(-1);
  }
}

void CKestrovaDoc::SaveSettings() {
  // A failed write is not reported to the user; the values stay pending in
  // the registry object and go out with the next successful save.
  WriteSettings(registry_, settings);
}

}  // namespace kestrova::app
