// The keys by which a command names its records: each finds exactly the
// record it was taken from (also among records that share an id) until a
// reload frees or replaces it; then it finds nothing, without touching the
// freed record (the address checker of the test build).
#include "model/record_keys.h"

#include <gtest/gtest.h>

#include <memory>

namespace kestrova::model {
namespace {

template <class Record>
Record& Add(RecordList<Record>& list, int id) {
  list.push_back(std::make_unique<Record>());
  list.back()->id = id;
  return *list.back();
}

ProgrammeElement& AddChild(ProgrammeElement& folder, int id) {
  ProgrammeElement& child = Add(folder.children, id);
  child.parentFolder = &folder;
  return child;
}

TEST(RecordKeys, AKeyFindsItsOwnRecordUntilAReloadFreesOrReplacesIt) {
  DataState data;
  CatalogueItem& news = Add(data.channelRoot->entries, 5);
  news.isFolder = 1;
  data.currentFolder = &data.channelRoot->AddChild(news);
  Add(data.currentFolder->entries, 101);
  CatalogueItem& channel = Add(data.currentFolder->entries, 102);
  channel.programmeDays.push_back(std::make_unique<ProgrammeDay>());
  ProgrammeDay& day = *channel.programmeDays.back();
  day.date = 1'700'000'000;
  Add(day.blocks, 7).day = &day;
  ProgrammeBlock& block = Add(day.blocks, 8);
  block.day = &day;
  Add(block.elements, 900).parentBlock = &block;
  ProgrammeElement& show = Add(block.elements, 901);
  show.parentBlock = &block;
  // One video three times: a favourite, in its folder, and taken out of the
  // favourites while a screen still showed it.
  ProgrammeElement& favourites = AddChild(*data.videoRoot, ProgrammeElement::kFavouritesFolderId);
  ProgrammeElement& favourite = AddChild(favourites, 50);
  ProgrammeElement& films = AddChild(*data.videoRoot, 21);
  AddChild(films, 49);
  ProgrammeElement& film = AddChild(films, 50);
  ProgrammeElement& detached = Add(data.detachedVideos, 50);
  detached.parentFolder = &favourites;
  ProgrammeElement& next = Add(data.nowNextEntries, 60);
  data.videoDetail = std::make_unique<ProgrammeElement>();
  data.videoDetail->id = 70;

  const ChannelKey channelKey = KeyOf(data, &channel);
  const BlockKey blockKey = KeyOf(data, &block);
  const ElementKey showKey = KeyOf(data, &show);
  const ElementKey filmsKey = KeyOf(data, &films);
  const ElementKey filmKey = KeyOf(data, &film);
  EXPECT_EQ(Find(data, channelKey), &channel);
  EXPECT_EQ(Find(data, blockKey), &block);
  EXPECT_EQ(Find(data, showKey), &show);
  EXPECT_EQ(Find(data, filmsKey), &films);
  EXPECT_EQ(Find(data, filmKey), &film);
  EXPECT_EQ(Find(data, KeyOf(data, data.videoRoot.get())), data.videoRoot.get());
  for (ProgrammeElement* element : {&favourite, &detached, &next, data.videoDetail.get()}) {
    EXPECT_EQ(Find(data, KeyOf(data, element)), element) << element->id;
  }
  // Records the data state does not hold give keys that find nothing.
  const CatalogueItem stranger;
  EXPECT_EQ(Find(data, KeyOf(data, &stranger)), nullptr);
  EXPECT_EQ(Find(data, KeyOf(data, static_cast<const ProgrammeElement*>(nullptr))), nullptr);

  // The films loaded anew: a record at the same place with the same id is
  // found, one whose place now holds another video is gone.
  films.children.clear();
  AddChild(films, 50);
  EXPECT_EQ(Find(data, filmKey), nullptr);
  AddChild(films, 50);
  EXPECT_EQ(Find(data, filmKey), films.children[1].get());

  // The video catalogue and the channel tree reloaded: everything below
  // them is gone, the detached video stays.
  data.videoRoot->children.clear();
  data.ResetChannelTree();
  EXPECT_EQ(Find(data, filmsKey), nullptr);
  EXPECT_EQ(Find(data, filmKey), nullptr);
  EXPECT_EQ(Find(data, channelKey), nullptr);
  EXPECT_EQ(Find(data, blockKey), nullptr);
  EXPECT_EQ(Find(data, showKey), nullptr);
  EXPECT_EQ(Find(data, KeyOf(data, &detached)), &detached);
}

}  // namespace
}  // namespace kestrova::model
