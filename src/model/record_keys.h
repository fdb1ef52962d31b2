// Keys of the records a network command works on: plain values (positions
// and ids) that lead to a record of the data state from one of its lists.
// A command carries keys, never pointers, because a reload may free its
// records between the submission and the worker's run; the worker finds the
// record again when its turn comes. Every step checks the id it expects, so
// a key whose record was replaced by another or freed finds nothing.
//
// KeyOf runs where the record is known (the submitting screen, on the
// user-interface thread); Find runs where it is needed (the worker, in its
// turn). Neither keeps anything: both read the data state while no other
// thread writes it.
#pragma once

#include <cstdint>
#include <vector>

#include "model/data_state.h"

namespace kestrova::model {

// One step down a list: the record's position there and its id.
struct RecordStep {
  int index = -1;
  std::int64_t id = 0;  // a day's date for the days of a channel
};

// A channel (or any entry) of the current catalogue level, the only level
// whose entries the screens act on; the level is named by its folder id.
struct ChannelKey {
  int folderId = -1;
  RecordStep entry;
};

// A block of a channel's programme: the channel, the day, the block.
struct BlockKey {
  ChannelKey channel;
  RecordStep day;
  RecordStep block;
};

// A programme element: a video or folder of the video catalogue, an entry of
// a programme block, of the now/next list, the video details, or a video
// taken out of the favourites while a screen still shows it.
struct ElementKey {
  enum class List { kNone, kVideoCatalogue, kBlock, kNowNext, kVideoDetail, kDetachedVideos };
  List list = List::kNone;
  // kVideoCatalogue: the steps from the root down (none: the root itself);
  // every other list: the one step within it.
  std::vector<RecordStep> steps;
  BlockKey block;  // kBlock: the block whose entries hold it
};

// The key of a record the data state holds now, or a key that finds nothing.
// The record is searched for from the data state's lists down and is
// compared, never followed, so a record that is no longer held (or null)
// gives a key that finds nothing.
ChannelKey KeyOf(const DataState& data, const CatalogueItem* channel);
BlockKey KeyOf(const DataState& data, const ProgrammeBlock* block);
ElementKey KeyOf(const DataState& data, const ProgrammeElement* element);

// The record the key leads to, or null when it is gone.
CatalogueItem* Find(DataState& data, const ChannelKey& key);
ProgrammeBlock* Find(DataState& data, const BlockKey& key);
ProgrammeElement* Find(DataState& data, const ElementKey& key);

}  // namespace kestrova::model
