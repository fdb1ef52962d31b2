#include "model/catalogue_records.h"

namespace kestrova::model {

std::unique_ptr<FolderNode> FolderNode::MakeRoot() {
  auto root = std::make_unique<FolderNode>();
  root->name = kRootName;
  return root;
}

FolderNode& FolderNode::AddChild(CatalogueItem& entry) {
  auto child = std::make_unique<FolderNode>();
  child->parent = this;
  child->folderEntry = &entry;
  child->folderId = entry.id;
  child->name = entry.name;
  children.push_back(std::move(child));
  return *children.back();
}

void FolderNode::ClearEntries() {
  children.clear();
  entries.clear();
}

}  // namespace kestrova::model
