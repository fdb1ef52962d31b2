#include "app/kestrova_doc.h"

#include "platform/message_box.h"

namespace kestrova::app {

CKestrovaDoc::CKestrovaDoc(platform::Registry& registry, platform::UiLoop& loop, ApiBaseUrls urls)
    : registry_(registry), loop_(loop), urls_(std::move(urls)) {
  LoadSettings();
}

void CKestrovaDoc::LoadSettings() {
  if (!ReadSettings(registry_, urls_, settings)) {
    platform::ShowMessageBox("Kestrova", kSettingsFailureMessage);
    loop_.PostQuit(-1);
  }
}

void CKestrovaDoc::ResetChannelTree() {
  currentFolder = nullptr;
  channelRoot = net::FolderNode::MakeRoot();
  currentFolder = channelRoot.get();
}

std::unique_ptr<net::ProgrammeElement> CKestrovaDoc::MakeVideoRoot() {
  auto root = std::make_unique<net::ProgrammeElement>();
  root->id = 0;
  root->type = net::ProgrammeElement::kFolderType;
  return root;
}

void CKestrovaDoc::FreeDataLists() {
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
}

void CKestrovaDoc::SaveSettings() {
  // A failed write is not reported to the user; the values stay pending in
  // the registry object and go out with the next successful save.
  WriteSettings(registry_, settings);
}

}  // namespace kestrova::app
