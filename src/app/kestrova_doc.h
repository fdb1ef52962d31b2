// The single document: the account and catalogue data, the settings fields
// and (with the network layer) the request slot and kept connections.
// Constructing it loads the settings.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "app/settings_store.h"
#include "net/catalogue_records.h"
#include "net/help_records.h"
#include "net/kept_connection.h"
#include "net/programme_records.h"
#include "net/record_list.h"
#include "net/setup_records.h"
#include "platform/clock.h"
#include "platform/http.h"
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

  // The user's settings and the distribution values; login, password,
  // language, country, operator, zone, quality and the affiliate, friend
  // and aggregator ids of the account live here. Like the session values
  // below, they change only on the thread that runs the current step (the
  // user-interface thread between commands, the worker during one), never
  // on two threads at once.
  SettingsFields settings;

  // ---- Network state ----
  // Set to 1 once, by the end of the session on the user-interface thread;
  // every transfer reads it between chunks and ends. Atomic.
  std::atomic<int> cancel{0};
  // The stream set-up's kept HTTP connection; guarded by its own mutex.
  net::KeptConnection keptConnection;
  // Time-outs and size limit of every transfer. Like the clock, changed only
  // before the first worker starts (tests shorten the stall time).
  platform::HttpLimits httpLimits;
  const platform::Clock* clock = &platform::SystemClock::Instance();

  // ---- Session values ----
  // Seconds to add to the device clock to get the server's time (from the
  // set-up answer); written by a worker, read by workers and the
  // user-interface thread at any time, so atomic.
  std::atomic<int> timeGap{0};

  // The values and lists below are written by the network worker that runs
  // the current command and read by the user-interface thread only after
  // that worker's WM_NET_RESULT, whose synchronous send through the UiLoop
  // (and its mutex) orders the two; the waiting indicator keeps a second
  // command from starting meanwhile. No lock of their own.
  int userId = 0;
  std::wstring sessionKey;
  std::wstring nick;
  std::wstring controlLink;    // base URL of the stream control script, with its trailing slash
  std::wstring updateKind;     // "none", "recommended" or anything else (required)
  std::wstring updateLink;
  std::wstring updateMessage;
  int accountBalance = 0;       // attribute "account" of the balance answer
  std::wstring feedbackMessage;  // the feedback answer's "message"

  // ---- Lists, records in answer order ----
  net::RecordList<net::CountryRecord> countries;
  net::RecordList<net::OperatorRecord> operators;
  net::RecordList<net::ZoneRecord> zones;
  net::RecordList<net::ShortNumberRecord> shortNumbers;
  net::RecordList<net::QualityRecord> qualities;
  net::RecordList<net::HelpThemeRecord> helpThemes;
  net::RecordList<net::MessageRecord> messages;
  int messagePage = 1;
  int messageTotal = 0;
  // The channel catalogue: the root level and the level the user is in
  // (the root or a level below it).
  std::unique_ptr<net::FolderNode> channelRoot = net::FolderNode::MakeRoot();
  net::FolderNode* currentFolder = channelRoot.get();
  // The video catalogue's root folder; its first child (id -1) is the
  // favourites folder.
  std::unique_ptr<net::ProgrammeElement> videoRoot = MakeVideoRoot();
  // Videos taken out of the favourites folder while a screen still shows them.
  net::RecordList<net::ProgrammeElement> detachedVideos;

  // A fresh root level "ROOT" that is both root and current level.
  void ResetChannelTree();
  // Frees every list and tree (end of the session); the roots are fresh.
  void FreeDataLists();

  static std::unique_ptr<net::ProgrammeElement> MakeVideoRoot();

 private:
  platform::Registry& registry_;
  platform::UiLoop& loop_;
  ApiBaseUrls urls_;
  CKestrovaView* view_ = nullptr;  // set by the view's initial update
};

}  // namespace kestrova::app
