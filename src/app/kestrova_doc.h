// The single document: the data state (settings, session values, lists and
// trees) and the network context of the session (cancel flag, kept
// connection, limits, clock, time gap). Constructing it loads the settings.
#pragma once

#include "app/settings_store.h"
#include "model/data_state.h"
#include "net/api_context.h"
#include "net/network_context.h"
#include "platform/registry.h"
#include "platform/ui_loop.h"
#include "ui/screen_document.h"

namespace kestrova::app {

class CKestrovaView;

class CKestrovaDoc final : public model::DataState, public ui::ScreenDocument {
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

  model::DataState& Data() override { return *this; }
  net::NetworkContext& Network() { return network_; }
  // The handle the endpoints run with.
  net::ApiContext Api() { return {*this, network_}; }

 private:
  platform::Registry& registry_;
  platform::UiLoop& loop_;
  ApiBaseUrls urls_;
  net::NetworkContext network_;
  CKestrovaView* view_ = nullptr;  // set by the view's initial update
};

}  // namespace kestrova::app
