#include "model/record_keys.h"

#include <algorithm>

namespace kestrova::model {
namespace {

// What each step checks: the record's id (a day's date).
std::int64_t IdOf(const CatalogueItem& item) { return item.id; }
std::int64_t IdOf(const ProgrammeDay& day) { return day.date; }
std::int64_t IdOf(const ProgrammeBlock& block) { return block.id; }
std::int64_t IdOf(const ProgrammeElement& element) { return element.id; }

// The step of the record within the list, found by identity.
template <class Record>
bool StepOf(const RecordList<Record>& list, const Record* record, RecordStep& step) {
  const auto found = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return entry.get() == record; });
  if (found == list.end()) return false;
  step = {static_cast<int>(found - list.begin()), IdOf(*record)};
  return true;
}

// The record at the step's position, when it still has the step's id.
template <class Record>
Record* At(const RecordList<Record>& list, const RecordStep& step) {
  if (step.index < 0 || static_cast<std::size_t>(step.index) >= list.size()) return nullptr;
  Record* record = list[static_cast<std::size_t>(step.index)].get();
  return IdOf(*record) == step.id ? record : nullptr;
}

// The steps from `folder` down to the element, searched for by identity.
bool CatalogueSteps(const ProgrammeElement& folder, const ProgrammeElement* element, std::vector<RecordStep>& steps) {
  for (std::size_t i = 0; i < folder.children.size(); ++i) {
    const ProgrammeElement& child = *folder.children[i];
    steps.push_back({static_cast<int>(i), child.id});
    if (&child == element || CatalogueSteps(child, element, steps)) return true;
    steps.pop_back();
  }
  return false;
}

ElementKey InList(ElementKey::List list, RecordStep step) {
  ElementKey key;
  key.list = list;
  key.steps.push_back(step);
  return key;
}

}  // namespace

ChannelKey KeyOf(const DataState& data, const CatalogueItem* channel) {
  ChannelKey key;
  const FolderNode* level = data.currentFolder;
  if (level != nullptr && StepOf(level->entries, channel, key.entry)) key.folderId = level->folderId;
  return key;
}

BlockKey KeyOf(const DataState& data, const ProgrammeBlock* block) {
  if (data.currentFolder == nullptr) return {};
  BlockKey key;
  for (const auto& entry : data.currentFolder->entries) {
    for (const auto& day : entry->programmeDays) {
      if (StepOf(day->blocks, block, key.block)) {
        key.channel = KeyOf(data, entry.get());
        StepOf(entry->programmeDays, day.get(), key.day);
        return key;
      }
    }
  }
  return {};
}

ElementKey KeyOf(const DataState& data, const ProgrammeElement* element) {
  ElementKey key;
  RecordStep step;
  if (element == nullptr) return key;
  if (element == data.videoRoot.get() || CatalogueSteps(*data.videoRoot, element, key.steps)) {
    key.list = ElementKey::List::kVideoCatalogue;
    return key;
  }
  if (StepOf(data.nowNextEntries, element, step)) return InList(ElementKey::List::kNowNext, step);
  if (StepOf(data.detachedVideos, element, step)) return InList(ElementKey::List::kDetachedVideos, step);
  if (data.videoDetail.get() == element) return InList(ElementKey::List::kVideoDetail, {0, element->id});
  if (data.currentFolder == nullptr) return {};
  for (const auto& entry : data.currentFolder->entries) {
    for (const auto& day : entry->programmeDays) {
      for (const auto& block : day->blocks) {
        if (StepOf(block->elements, element, step)) {
          key = InList(ElementKey::List::kBlock, step);
          key.block = KeyOf(data, block.get());
          return key;
        }
      }
    }
  }
  return {};
}

CatalogueItem* Find(DataState& data, const ChannelKey& key) {
  const FolderNode* level = data.currentFolder;
  if (level == nullptr || level->folderId != key.folderId) return nullptr;
  return At(level->entries, key.entry);
}

ProgrammeBlock* Find(DataState& data, const BlockKey& key) {
  const CatalogueItem* channel = Find(data, key.channel);
  if (channel == nullptr) return nullptr;
  const ProgrammeDay* day = At(channel->programmeDays, key.day);
  return day != nullptr ? At(day->blocks, key.block) : nullptr;
}

ProgrammeElement* Find(DataState& data, const ElementKey& key) {
  using List = ElementKey::List;
  if (key.list == List::kVideoCatalogue) {
    ProgrammeElement* at = data.videoRoot.get();
    for (const RecordStep& step : key.steps) {
      at = At(at->children, step);
      if (at == nullptr) return nullptr;
    }
    return at;
  }
  if (key.steps.size() != 1) return nullptr;
  const RecordStep& step = key.steps.front();
  switch (key.list) {
    case List::kBlock: {
      const ProgrammeBlock* block = Find(data, key.block);
      return block != nullptr ? At(block->elements, step) : nullptr;
    }
    case List::kNowNext: return At(data.nowNextEntries, step);
    case List::kDetachedVideos: return At(data.detachedVideos, step);
    case List::kVideoDetail:
      return data.videoDetail && data.videoDetail->id == step.id ? data.videoDetail.get() : nullptr;
    default: return nullptr;
  }
}

}  // namespace kestrova::model
