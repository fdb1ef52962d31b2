// The channel catalogue: a tree of FolderNodes, one per folder level the
// user opened, each with its entries (channels and sub-folders).
#pragma once

#include <string>

#include "model/programme_records.h"
#include "model/record_list.h"
#include "platform/argb_image.h"

namespace kestrova::model {

// A channel or a sub-folder of the channel catalogue.
struct CatalogueItem {
  // The two entries a paid package adds to its list.
  static constexpr int kBuyPackageId = 10000;
  static constexpr int kReloadPackageId = 10001;

  int id = 0;                    // attribute "id"
  std::wstring name;             // attribute "name"
  std::wstring logoLink;         // attribute "logo_link", absolute URL
  int logoSize = 0;              // attribute "logo_size", bytes
  int subscribePeriod = 0;       // from the subscription answer
  int subscribeBalance = 0;      // from the subscription answer
  std::wstring price;            // from the subscription answer
  std::wstring description;      // attribute "description"
  int favorites = 0;             // attribute "favorites"
  int isFolder = 0;              // 1 for entries made from a "folder" element
  int free = 0;                  // attribute "free"
  int canBuy = 0;                // attribute "can_buy"
  int haveProgram = 0;           // attribute "have_program"
  int haveVideo = 0;             // attribute "have_video"
  int noLogo = 0;                // 1 on the special entries: no logo is fetched
  int reloadEntry = 0;           // 1 on entry 10001
  platform::ArgbImage logoImage;  // the decoded logo; empty when there is none
  // 1 when the entry has a logo that is not held for want of room in the
  // pictures' memory budget (dropped, or not fetched while the budget was
  // full): it is fetched again from logoLink when a screen draws the entry.
  int logoDropped = 0;
  RecordList<ProgrammeDay> programmeDays;
};

// One level of the channel catalogue.
struct FolderNode {
  static constexpr int kRootFolderId = 0;
  static constexpr const wchar_t* kRootName = L"ROOT";

  FolderNode* parent = nullptr;         // none for the root; not owning
  // The parent's entry that was opened to reach this level; none for the
  // root. Not owning: it lives in the parent's entries, and refreshing
  // those (ClearEntries) also removes this node.
  CatalogueItem* folderEntry = nullptr;
  int folderId = kRootFolderId;
  std::wstring name;
  int loaded = 0;                       // 1 once the level was requested
  int descendPending = 0;               // 1: the user opened a sub-folder entry
  int free = 0;                         // attribute "free" of "channels"
  int showTop = 0;                      // attribute "showtop"
  std::wstring smsNumber;               // attribute "smsnumber"
  std::wstring smsText;                 // attribute "smstext"
  std::wstring message;                 // attribute "msg"
  RecordList<CatalogueItem> entries;
  // The levels opened below this one. They own nothing of this level but
  // point into its entries, so they go when the entries go.
  RecordList<FolderNode> children;

  // A fresh root level named "ROOT".
  static std::unique_ptr<FolderNode> MakeRoot();

  // Opens the entry as a new child level (folder id and name from the
  // entry) and returns it.
  FolderNode& AddChild(CatalogueItem& entry);

  // Frees the entries and the levels below, which refer to them.
  void ClearEntries();
};

}  // namespace kestrova::model
