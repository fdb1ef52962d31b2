// Records of the TV programme and of the video catalogue: a channel's days,
// the blocks of a day, and the elements of a block. A ProgrammeElement is
// also one video or one video folder, whose children are more elements.
#pragma once

#include <cstdint>
#include <string>

#include "model/record_list.h"

namespace kestrova::model {

struct ProgrammeBlock;

// One purchase option of a video, as the purchase-information answer lists it.
struct PurchaseQualityRecord {
  int id = 0;         // attribute "id"; sent as the quality of the video URL
  std::wstring name;  // attribute "name"
  std::wstring size;  // attribute "size"
};

struct ProgrammeElement {
  static constexpr int kNewId = -1111;
  static constexpr int kFavouritesFolderId = -1;
  static constexpr const wchar_t* kFolderType = L"Folder";

  // The owner: a video folder or a programme block (at most one is set);
  // not owning.
  ProgrammeElement* parentFolder = nullptr;
  ProgrammeBlock* parentBlock = nullptr;
  int id = kNewId;              // attribute "id"
  std::wstring type;            // attribute "type"; "Folder" for folders made here
  std::wstring name;            // attribute "name"
  std::wstring startText;       // attribute "start", "MM:SS" within the block
  std::wstring previewLink;     // attribute "preview_link"; numbered pictures lie under it
  std::int64_t startTime = 0;   // seconds since 1970; 0 when not in a block
  std::wstring lengthText;      // attribute "length"
  std::wstring playPrice;       // attribute "play_price"
  int playBought = 0;           // 1 when attribute "play_buyed" reads as 1
  std::wstring downloadPrice;   // attribute "dwn_price"
  int downloadBought = 0;       // 1 when attribute "dwn_buyed" reads as 1
  int favorite = 0;             // 1 when attribute "favorite" reads as 1
  int total = 0;                // children the server has (attribute "total" of "videos")
  RecordList<ProgrammeElement> children;
  int nextPage = 1;             // the page of children to fetch next
  RecordList<PurchaseQualityRecord> purchaseQualities;
  int infoLoaded = 0;          // 1 once purchase options were asked for
  int downloadInfoLoaded = 0;  // 1 once the download options were asked for
};

struct ProgrammeDay;

struct ProgrammeBlock {
  static constexpr int kNewId = -1;

  ProgrammeDay* day = nullptr;  // the owning day; not owning
  int id = kNewId;              // attribute "id"
  std::wstring startText;       // attribute "start", "HH:MM"
  std::wstring endText;         // the next block's start; the last block's from "end_trs"
  std::wstring name;            // attribute "name"
  std::int64_t startTime = 0;   // the day at 00:00 plus the start text
  std::int64_t endTime = 0;     // the day at 00:00 plus the end text
  RecordList<ProgrammeElement> elements;
};

// A channel's programme for one calendar day.
struct ProgrammeDay {
  std::int64_t date = 0;  // seconds since 1970
  RecordList<ProgrammeBlock> blocks;
};

}  // namespace kestrova::model
