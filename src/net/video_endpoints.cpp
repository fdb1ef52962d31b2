#include "net/video_endpoints.h"

#include <algorithm>

#include "app/kestrova_doc.h"
#include "app/string_table.h"
#include "net/answer_reading.h"
#include "net/endpoint.h"
#include "net/programme_endpoints.h"
#include "net/query_keys.h"
#include "net/request_format.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kVideosFormat =
    L"videos.php?user_id=%d&key=%s&affiliate_id=%d&folder_id=%d&page=%d&onpage=%d&lng_id=%d&codepage=utf8"
    L"&client=wm&dist_number=1";
constexpr const wchar_t* kVideoFormat =
    L"video.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1&video_id=%d";
constexpr const wchar_t* kFavoriteFormat =
    L"add_favorite.php?item_id=%d&user_id=%d&key=%s&affiliate_id=%d&favorite=%d&lng_id=%d&type=vid&codepage=utf8"
    L"&client=wm&dist_number=1";
// The root holds at least the favourites folder and one more entry once loaded.
constexpr std::size_t kRootLoadedChildren = 2;

RequestResultPtr Succeeded() {
  RequestResultPtr result = NewRequestResult();
  result->ok = 1;
  return result;
}

bool NeedsPage(const app::CKestrovaDoc& document, const ProgrammeElement& folder, int keepComplete) {
  const std::size_t count = folder.children.size();
  if (count == 0) return true;
  if (&folder == document.videoRoot.get() && count < kRootLoadedChildren) return true;
  return keepComplete == 0 && count < static_cast<std::size_t>(std::max(folder.total, 0));
}

ProgrammeElement* FindChild(const ProgrammeElement& folder, int id) {
  for (auto& child : folder.children) {
    if (child->id == id) return child.get();
  }
  return nullptr;
}

ProgrammeElement& MakeFavouritesChild(ProgrammeElement& folder) {
  auto favourites = std::make_unique<ProgrammeElement>();
  favourites->id = ProgrammeElement::kFavouritesFolderId;
  favourites->name = app::Strings().Get(kFavouritesNameTextId);
  favourites->type = ProgrammeElement::kFolderType;
  favourites->parentFolder = &folder;
  folder.children.push_back(std::move(favourites));
  return *folder.children.back();
}

void ReadPage(const XmlElement& root, ProgrammeElement& folder) {
  folder.total = AttributeNumber(root, "total");
  for (XmlElement child = root.FirstChildElement("element"); child; child = child.NextSiblingElement("element")) {
    auto element = ReadProgrammeElement(child, nullptr);
    const bool duplicateFavourites = element->id == ProgrammeElement::kFavouritesFolderId &&
                                     FindChild(folder, ProgrammeElement::kFavouritesFolderId) != nullptr;
    if (duplicateFavourites) continue;
    element->parentFolder = &folder;
    folder.children.push_back(std::move(element));
  }
  if (folder.children.size() < static_cast<std::size_t>(std::max(folder.total, 0))) ++folder.nextPage;
}

// The fields the server describes a video with; links, children and pages stay.
void CopyVideoFields(const ProgrammeElement& from, ProgrammeElement& to) {
  to.type = from.type;
  to.name = from.name;
  to.startText = from.startText;
  to.previewLink = from.previewLink;
  to.startTime = from.startTime;
  to.lengthText = from.lengthText;
  to.playPrice = from.playPrice;
  to.playBought = from.playBought;
  to.downloadPrice = from.downloadPrice;
  to.downloadBought = from.downloadBought;
  to.favorite = from.favorite;
}

void CopyToOtherRecords(ProgrammeElement& folder, const ProgrammeElement& video) {
  for (auto& child : folder.children) {
    if (child.get() != &video && child->id == video.id) CopyVideoFields(video, *child);
    CopyToOtherRecords(*child, video);
  }
}

// The page that follows the children held, so a reload never repeats one.
int PageAfter(const ProgrammeElement& folder) { return static_cast<int>(folder.children.size() / kVideosPerPage) + 1; }

void AddToFavourites(app::CKestrovaDoc& document, ProgrammeElement& favourites, const ProgrammeElement& video) {
  // A video the folder already lists is not listed twice.
  if (FindChild(favourites, video.id) != nullptr) return;
  if (favourites.children.empty()) {
    Videos(document, favourites, 0, kNormalFirstChild);
    return;
  }
  if (favourites.children.size() % kVideosPerPage != 0) {
    auto copy = std::make_unique<ProgrammeElement>();
    copy->id = video.id;
    CopyVideoFields(video, *copy);
    copy->parentFolder = &favourites;
    favourites.children.push_back(std::move(copy));
  } else {
    // The video comes with the next page, which must be the one after the
    // pages held even when the folder was complete.
    favourites.nextPage = PageAfter(favourites);
  }
  ++favourites.total;
}

void RemoveFromFavourites(app::CKestrovaDoc& document, ProgrammeElement& favourites, ProgrammeElement& video) {
  auto& children = favourites.children;
  const auto found =
      std::find_if(children.begin(), children.end(), [&](const auto& child) { return child->id == video.id; });
  if (found == children.end()) return;
  std::unique_ptr<ProgrammeElement> removed = std::move(*found);
  children.erase(found);
  // A record a screen still shows stays alive until the detached list goes.
  if (removed.get() == &video) document.detachedVideos.push_back(std::move(removed));
  --favourites.total;
  const std::size_t pageRest = kVideosPerPage - 1;
  if (children.size() % kVideosPerPage != pageRest || favourites.total <= kVideosPerPage) return;
  const std::size_t keep = children.size() - std::min(children.size(), pageRest);
  children.resize(keep);
  // The page that follows the trimmed pages is fetched again, now without a gap.
  favourites.nextPage = PageAfter(favourites);
  Videos(document, favourites, 0, kNormalFirstChild);
}

}  // namespace

RequestResultPtr Videos(app::CKestrovaDoc& document, ProgrammeElement& folder, int keepComplete, int firstChildMode) {
  if (!NeedsPage(document, folder, keepComplete)) return Succeeded();
  ProgrammeElement& target = firstChildMode == kMakeFavouritesChild ? MakeFavouritesChild(folder) : folder;
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.request = FormatRequest(kVideosFormat, {common.userId, common.key, common.affiliateId, target.id,
                                               target.nextPage, kVideosPerPage, common.languageId});
  call.rootElement = "videos";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    ReadPage(root, target);
    result.ok = 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr VideoDetails(app::CKestrovaDoc& document, int videoId, std::unique_ptr<ProgrammeElement>& detail) {
  detail.reset();
  const CommonQueryValues common = CommonQuery(document);
  EndpointCall call;
  call.request =
      FormatRequest(kVideoFormat, {common.userId, common.key, common.affiliateId, common.languageId, videoId});
  call.rootElement = "video";
  call.readRoot = [&](const XmlElement& root, RequestResult& result) {
    detail = ReadProgrammeElement(root, nullptr);
    result.ok = 1;
  };
  return RunEndpoint(document, call);
}

RequestResultPtr ToggleFavorite(app::CKestrovaDoc& document, ProgrammeElement& video) {
  const CommonQueryValues common = CommonQuery(document);
  const int wanted = video.favorite != 0 ? 0 : 1;
  bool answered = false;
  EndpointCall call;
  call.request = FormatRequest(kFavoriteFormat,
                               {video.id, common.userId, common.key, common.affiliateId, wanted, common.languageId});
  call.rootElement = "add_favorite";
  call.readRoot = [&](const XmlElement& root, RequestResult&) {
    video.favorite = AttributeNumber(root, "current_status") == 1 ? 1 : 0;
    answered = true;
  };
  RequestResultPtr result = RunEndpoint(document, call);
  ProgrammeElement* favourites = FindChild(*document.videoRoot, ProgrammeElement::kFavouritesFolderId);
  if (!answered || favourites == nullptr) return result;

  CopyToOtherRecords(*document.videoRoot, video);
  if (video.favorite != 0) {
    AddToFavourites(document, *favourites, video);
  } else {
    RemoveFromFavourites(document, *favourites, video);
  }
  result->ok = 1;
  return result;
}

}  // namespace kestrova::net
