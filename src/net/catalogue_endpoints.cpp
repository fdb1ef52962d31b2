#include "net/catalogue_endpoints.h"

#include <ctime>

#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/picture_download.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "platform/clock.h"
#include "resources/string_table.h"

namespace kestrova::net {
namespace {

// Key order of its own, without client and dist_number.
constexpr const wchar_t* kCatalogueFormat =
    L"catchan.php?user_id=%d&folder_id=%d&affiliate_id=%d&key=%s&lng_id=%02d&codepage=utf8";

bool IsPaidPackage(const model::FolderNode& node) { return node.folderId != model::FolderNode::kRootFolderId && node.free == 0; }

std::unique_ptr<model::CatalogueItem> SpecialEntry(int id, int textId) {
  auto entry = std::make_unique<model::CatalogueItem>();
  entry->id = id;
  entry->name = resources::Strings().Get(textId);
  entry->noLogo = 1;
  return entry;
}

void AppendBuyEntry(model::FolderNode& node) {
  node.entries.push_back(SpecialEntry(model::CatalogueItem::kBuyPackageId, kBuyPackageTextId));
}

void AppendReloadEntry(model::FolderNode& node) {
  auto entry = SpecialEntry(model::CatalogueItem::kReloadPackageId, kReloadPackageTextId);
  entry->reloadEntry = 1;
  node.entries.push_back(std::move(entry));
}

// The attributes both kinds of entry carry.
std::unique_ptr<model::CatalogueItem> ReadCommonEntry(const XmlElement& element) {
  auto entry = std::make_unique<model::CatalogueItem>();
  entry->id = AttributeNumber(element, "id");
  entry->name = AttributeText(element, "name");
  entry->logoLink = AttributeText(element, "logo_link");
  entry->logoSize = AttributeNumber(element, "logo_size");
  entry->description = AttributeText(element, "description");
  return entry;
}

std::unique_ptr<model::CatalogueItem> ReadChannel(const XmlElement& element, std::int64_t serverNow) {
  auto channel = ReadCommonEntry(element);
  channel->haveVideo = AttributeNumber(element, "have_video");
  channel->canBuy = AttributeNumber(element, "can_buy");
  channel->free = AttributeNumber(element, "free");
  channel->haveProgram = AttributeNumber(element, "have_program");
  channel->favorites = AttributeNumber(element, "favorites");
  if (channel->haveProgram != 0) AddProgrammeDays(*channel, serverNow);
  return channel;
}

std::unique_ptr<model::CatalogueItem> ReadFolder(const XmlElement& element) {
  auto folder = ReadCommonEntry(element);
  folder->isFolder = 1;
  return folder;
}

void ReadLevel(const XmlElement& root, model::FolderNode& node, std::int64_t serverNow) {
  node.free = AttributeNumber(root, "free");
  node.showTop = AttributeNumber(root, "showtop");
  node.message = AttributeText(root, "msg");
  node.smsNumber = AttributeText(root, "smsnumber");
  node.smsText = AttributeText(root, "smstext");
  const bool paid = IsPaidPackage(node);
  if (paid) AppendBuyEntry(node);
  for (XmlElement child = root.FirstChildElement("channel"); child; child = child.NextSiblingElement("channel")) {
    node.entries.push_back(ReadChannel(child, serverNow));
  }
  for (XmlElement child = root.FirstChildElement("folder"); child; child = child.NextSiblingElement("folder")) {
    node.entries.push_back(ReadFolder(child));
  }
  if (paid) {
    AppendBuyEntry(node);
    AppendReloadEntry(node);
  }
}

// Opens the selected sub-folder entry as the current level.
void DescendIfPending(const ApiContext& api, int selectedEntry) {
  model::FolderNode& current = *api.data.currentFolder;
  if (current.descendPending == 0) return;
  current.descendPending = 0;
  if (selectedEntry < 0 || static_cast<std::size_t>(selectedEntry) >= current.entries.size()) return;
  model::CatalogueItem& entry = *current.entries[static_cast<std::size_t>(selectedEntry)];
  if (entry.isFolder == 0) return;
  api.data.currentFolder = &current.AddChild(entry);
}

}  // namespace

std::int64_t LocalMidnight(std::int64_t moment, int dayOffset) {
  std::optional<std::tm> local = platform::LocalTime(static_cast<std::time_t>(moment));
  if (!local) return 0;
  local->tm_mday += dayOffset;
  local->tm_hour = 0;
  local->tm_min = 0;
  local->tm_sec = 0;
  local->tm_isdst = -1;
  const std::time_t midnight = std::mktime(&*local);
  return midnight == static_cast<std::time_t>(-1) ? 0 : midnight;
}

void AddProgrammeDays(model::CatalogueItem& channel, std::int64_t serverNow) {
  for (int offset = 0; offset < kProgrammeDayCount; ++offset) {
    auto day = std::make_unique<model::ProgrammeDay>();
    day->date = LocalMidnight(serverNow, offset);
    channel.programmeDays.push_back(std::move(day));
  }
}

model::RequestResultPtr ChannelCatalogue(const ApiContext& api, int selectedEntry) {
  DescendIfPending(api, selectedEntry);
  model::FolderNode& node = *api.data.currentFolder;
  const CommonQueryValues common = CommonQuery(api);
  const std::int64_t serverNow = api.network.ServerNow();
  EndpointCall call;
  call.refreshList = [&] {
    if (node.loaded != 0) api.data.ClearLevel(node);
    node.loaded = 1;
  };
  call.request = FormatRequest(kCatalogueFormat,
                               {common.userId, node.folderId, common.affiliateId, common.key, common.languageId});
  call.rootElement = "channels";
  call.readRoot = [&](const XmlElement& root, model::RequestResult&) { ReadLevel(root, node, serverNow); };
  model::RequestResultPtr result = RunEndpoint(api, call);
  // Logos come after the answer, so the level is complete even when they fail.
  FetchFolderLogos(api.Transfers(), api.data, node);
  // The start-up chains go on with an empty level when the catalogue fails.
  result->ok = true;
  return result;
}

}  // namespace kestrova::net
