#include "net/video_endpoints.h"

#include <algorithm>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/programme_endpoints.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "resources/string_table.h"

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

model::RequestResultPtr Succeeded() {
  model::RequestResultPtr result = NewRequestResult();
  result->ok = true;
  return result;
}

bool NeedsPage(const ApiContext& api, const model::ProgrammeElement& folder, int keepComplete) {
  const std::size_t count = folder.children.size();
  if (count == 0) return true;
  if (&folder == api.data.videoRoot.get() && count < kRootLoadedChildren) return true;
  return keepComplete == 0 && count < static_cast<std::size_t>(std::max(folder.total, 0));
}

model::ProgrammeElement* FindChild(const model::ProgrammeElement& folder, int id) {
  for (auto& child : folder.children) {
    if (child->id == id) return child.get();
  }
  return nullptr;
}

model::ProgrammeElement& MakeFavouritesChild(model::ProgrammeElement& folder) {
  auto favourites = std::make_unique<model::ProgrammeElement>();
  favourites->id = model::ProgrammeElement::kFavouritesFolderId;
  favourites->name = resources::Strings().Get(kFavouritesNameTextId);
  favourites->type = model::ProgrammeElement::kFolderType;
  favourites->parentFolder = &folder;
  folder.children.push_back(std::move(favourites));
  return *folder.children.back();
}

void ReadPage(const XmlElement& root, model::ProgrammeElement& folder) {
  folder.total = AttributeNumber(root, "total");
  for (XmlElement child = root.FirstChildElement("element"); child; child = child.NextSiblingElement("element")) {
    auto element = ReadProgrammeElement(child, nullptr);
    const bool duplicateFavourites = element->id == model::ProgrammeElement::kFavouritesFolderId &&
                                     FindChild(folder, model::ProgrammeElement::kFavouritesFolderId) != nullptr;
    if (duplicateFavourites) continue;
    element->parentFolder = &folder;
    folder.children.push_back(std::move(element));
  }
  if (folder.children.size() < static_cast<std::size_t>(std::max(folder.total, 0))) ++folder.nextPage;
}

// The fields the server describes a video with; links, children and pages stay.
void CopyVideoFields(const model::ProgrammeElement& from, model::ProgrammeElement& to) {
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

void CopyToOtherRecords(model::ProgrammeElement& folder, const model::ProgrammeElement& video) {
  for (auto& child : folder.children) {
    if (child.get() != &video && child->id == video.id) CopyVideoFields(video, *child);
    CopyToOtherRecords(*child, video);
  }
}

// The page that follows the children held, so a reload never repeats one.
int PageAfter(const model::ProgrammeElement& folder) { return static_cast<int>(folder.children.size() / kVideosPerPage) + 1; }

void AddToFavourites(const ApiContext& api, model::ProgrammeElement& favourites, const model::ProgrammeElement& video) {
  // A video the folder already lists is not listed twice.
  if (FindChild(favourites, video.id) != nullptr) return;
  if (favourites.children.empty()) {
    Videos(api, favourites, 0, kNormalFirstChild);
    return;
  }
  if (favourites.children.size() % kVideosPerPage != 0) {
    auto copy = std::make_unique<model::ProgrammeElement>();
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

void RemoveFromFavourites(const ApiContext& api, model::ProgrammeElement& favourites, model::ProgrammeElement& video) {
  auto& children = favourites.children;
  const auto found =
      std::find_if(children.begin(), children.end(), [&](const auto& child) { return child->id == video.id; });
  if (found == children.end()) return;
  std::unique_ptr<model::ProgrammeElement> removed = std::move(*found);
  children.erase(found);
  // A record a screen still shows stays alive until the detached list goes.
  if (removed.get() == &video) api.data.detachedVideos.push_back(std::move(removed));
  --favourites.total;
  const std::size_t pageRest = kVideosPerPage - 1;
  if (children.size() % kVideosPerPage != pageRest || favourites.total <= kVideosPerPage) return;
  const std::size_t keep = children.size() - std::min(children.size(), pageRest);
  children.resize(keep);
  // The page that follows the trimmed pages is fetched again, now without a gap.
  favourites.nextPage = PageAfter(favourites);
  Videos(api, favourites, 0, kNormalFirstChild);
}

}  // namespace

model::RequestResultPtr Videos(const ApiContext& api, model::ProgrammeElement& folder, int keepComplete, int firstChildMode) {
  if (!NeedsPage(api, folder, keepComplete)) return Succeeded();
  model::ProgrammeElement& target = firstChildMode == kMakeFavouritesChild ? MakeFavouritesChild(folder) : folder;
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request = FormatRequest(kVideosFormat, {common.userId, common.key, common.affiliateId, target.id,
                                               target.nextPage, kVideosPerPage, common.languageId});
  call.rootElement = "videos";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadPage(root, target);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr VideoDetails(const ApiContext& api, int videoId, std::unique_ptr<model::ProgrammeElement>& detail) {
  detail.reset();
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request =
      FormatRequest(kVideoFormat, {common.userId, common.key, common.affiliateId, common.languageId, videoId});
  call.rootElement = "video";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    detail = ReadProgrammeElement(root, nullptr);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr ToggleFavorite(const ApiContext& api, model::ProgrammeElement& video) {
  const CommonQueryValues common = CommonQuery(api);
  const int wanted = video.favorite != 0 ? 0 : 1;
  bool answered = false;
  EndpointCall call;
  call.request = FormatRequest(kFavoriteFormat,
                               {video.id, common.userId, common.key, common.affiliateId, wanted, common.languageId});
  call.rootElement = "add_favorite";
  call.readRoot = [&](const XmlElement& root, model::RequestResult&) {
    video.favorite = AttributeNumber(root, "current_status") == 1 ? 1 : 0;
    answered = true;
  };
  model::RequestResultPtr result = RunEndpoint(api, call);
  model::ProgrammeElement* favourites = FindChild(*api.data.videoRoot, model::ProgrammeElement::kFavouritesFolderId);
  if (!answered || favourites == nullptr) return result;

  CopyToOtherRecords(*api.data.videoRoot, video);
  if (video.favorite != 0) {
    AddToFavourites(api, *favourites, video);
  } else {
    RemoveFromFavourites(api, *favourites, video);
  }
  result->ok = true;
  return result;
}

}  // namespace kestrova::net
