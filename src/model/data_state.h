// The data state the document holds for the whole session: the settings
// fields, the account's session values and the lists and trees the answers
// fill. The endpoints write it, the screens read it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/catalogue_records.h"
#include "model/help_records.h"
#include "model/live_stream.h"
#include "model/picture_budget.h"
#include "model/preview_sequence.h"
#include "model/programme_records.h"
#include "model/record_list.h"
#include "model/settings_fields.h"
#include "model/setup_records.h"

namespace kestrova::model {

class DataState {
 public:
  DataState() = default;
  DataState(const DataState&) = delete;
  DataState& operator=(const DataState&) = delete;

  // The user's settings and the distribution values; login, password,
  // language, country, operator, zone, quality and the affiliate, friend
  // and aggregator ids of the account live here. Like the session values
  // below, they change only on the thread that runs the current step (the
  // user-interface thread between commands, the worker during one), never
  // on two threads at once.
  SettingsFields settings;

  // ---- Session values ----
  // Written by the network worker that runs the current command and read by
  // the user-interface thread only after that worker's result was handed
  // over, whose synchronous send through the message loop (and its mutex)
  // orders the two; the waiting indicator keeps a second command from
  // starting meanwhile, and the workers' turns (app/network_worker.h) keep
  // one that starts all the same from running alongside. No lock of their own.
  int userId = 0;
  std::wstring sessionKey;
  std::wstring nick;
  std::wstring controlLink;    // base URL of the stream control script, with its trailing slash
  std::wstring updateKind;     // "none", "recommended" or anything else (required)
  std::wstring updateLink;
  std::wstring updateMessage;
  int accountBalance = 0;       // attribute "account" of the balance answer
  std::wstring feedbackMessage;  // the feedback answer's "message"

  // The memory budget of the decoded channel logos held below; it follows
  // the records' rule (model/picture_budget.h).
  PictureBudget pictures;

  // ---- Lists, records in answer order ----
  RecordList<CountryRecord> countries;
  RecordList<OperatorRecord> operators;
  RecordList<ZoneRecord> zones;
  RecordList<ShortNumberRecord> shortNumbers;
  RecordList<QualityRecord> qualities;
  RecordList<HelpThemeRecord> helpThemes;
  RecordList<MessageRecord> messages;
  int messagePage = 1;
  int messageTotal = 0;
  // The channel catalogue: the root level and the level the user is in
  // (the root or a level below it).
  std::unique_ptr<FolderNode> channelRoot = FolderNode::MakeRoot();
  FolderNode* currentFolder = channelRoot.get();
  // The video catalogue's root folder; its first child (id -1) is the
  // favourites folder.
  std::unique_ptr<ProgrammeElement> videoRoot = MakeVideoRoot();
  // Videos taken out of the favourites folder while a screen still shows them.
  RecordList<ProgrammeElement> detachedVideos;
  // The entries of the programme now on air or coming next for the channel
  // being watched, and the details of one video as the video answer gave
  // them.
  RecordList<ProgrammeElement> nowNextEntries;
  std::unique_ptr<ProgrammeElement> videoDetail;
  // The preview pictures of the details screen, one more per request.
  PreviewSequence previews;
  // The live stream's measured rate and known video; locked on its own, as
  // the stream worker writes it while screens may read it.
  LiveStreamState liveStream;

  // A fresh root level "ROOT" that is both root and current level.
  void ResetChannelTree();
  // Frees the entries of the level and the levels below, as a reload does.
  void ClearLevel(FolderNode& level);

  // Keeps the decoded logo for the entry within the pictures' budget: the
  // pictures shown least recently are dropped to make room (their keys are
  // appended to `dropped`). A logo that cannot fit beside the pictures on
  // screen is not kept and is marked to be fetched again when shown.
  void KeepLogo(CatalogueItem& item, platform::ArgbImage logo, std::vector<PictureKey>& dropped);
  // The entry's logo is drawn in the frame being drawn: it stays on screen.
  void ShowLogo(const CatalogueItem& item) { pictures.Touch(LogoKey(item)); }
  static PictureKey LogoKey(const CatalogueItem& item) { return PictureKey::Of(&item); }
  // Frees the pictures the budget named to make room; their records keep
  // their links, so the pictures can be fetched again.
  void DropPictures(const std::vector<PictureKey>& dropped);
  // Frees every list and tree (end of the session); the roots are fresh.
  void FreeDataLists();

  static std::unique_ptr<ProgrammeElement> MakeVideoRoot();
};

}  // namespace kestrova::model
