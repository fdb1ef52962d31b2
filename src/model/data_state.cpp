#include "model/data_state.h"

namespace kestrova::model {

void DataState::ResetChannelTree() {
  currentFolder = nullptr;
  channelRoot = FolderNode::MakeRoot();
  currentFolder = channelRoot.get();
}

std::unique_ptr<ProgrammeElement> DataState::MakeVideoRoot() {
  auto root = std::make_unique<ProgrammeElement>();
  root->id = 0;
  root->type = ProgrammeElement::kFolderType;
  return root;
}

void DataState::FreeDataLists() {
  countries.clear();
  operators.clear();
  zones.clear();
  shortNumbers.clear();
  qualities.clear();
  helpThemes.clear();
  messages.clear();
  messagePage = 1;
  messageTotal = 0;
  ResetChannelTree();
  videoRoot = MakeVideoRoot();
  detachedVideos.clear();
  nowNextEntries.clear();
  videoDetail.reset();
  previews = {};
}

}  // namespace kestrova::model
