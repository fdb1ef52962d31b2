// The single document: the account and catalogue data, the settings fields
// and (with the network layer) the request slot and kept connections.
// Constructing it loads the settings.
#pragma once

#include "app/settings_store.h"
#include "platform/registry.h"
#include "platform/ui_loop.h"

namespace kestrova::app {

class CKestrovaView;

class CKestrovaDoc {
 public:
  // Loads the settings; when a distribution value is missing it shows the
  // reinstall message and posts the quit request with exit code -1, and
  // construction completes all the same.
  CKestrovaDoc(platform::Registry& registry, platform::UiLoop& loop, ApiBaseUrls urls);
  CKestrovaDoc(const CKestrovaDoc&) = delete;
  CKestrovaDoc& operator=(const CKestrovaDoc&) = delete;

  void LoadSettings();
  void SaveSettings();

  void SetView(CKestrovaView* view) { view_ = view; }
  CKestrovaView* View() const { return view_; }

  SettingsFields settings;

 private:
  platform::Registry& registry_;
  platform::UiLoop& loop_;
  ApiBaseUrls urls_;
  CKestrovaView* view_ = nullptr;  // set by the view's initial update
};

}  // namespace kestrova::app
