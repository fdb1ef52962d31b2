#include "net/programme_endpoints.h"

#include <ctime>
#include <cwchar>
#include <string>

#include "model/catalogue_records.h"
#include "net/answer_reading.h"
#include "net/api_context.h"
#include "net/endpoint.h"
#include "net/query_keys.h"
#include "net/request_format.h"
#include "platform/clock.h"

namespace kestrova::net {
namespace {

constexpr const wchar_t* kBlocksFormat =
    L"blocks.php?user_id=%d&key=%s&affiliate_id=%d&zone_id=%d&date=%s&channel_id=%d&lng_id=%d&codepage=utf8"
    L"&client=wm&dist_number=1";
constexpr const wchar_t* kBlockFormat =
    L"block.php?block_id=%d&user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1";
constexpr const wchar_t* kCurrentBlockFormat =
    L"block.php?user_id=%d&key=%s&affiliate_id=%d&lng_id=%d&codepage=utf8&client=wm&dist_number=1&block_id=-1"
    L"&channel_id=%d&type=%s";
constexpr const wchar_t* kLastType = L"last";
constexpr const wchar_t* kNextType = L"next";
constexpr const wchar_t* kDateFormat = L"%d-%m-%Y";
constexpr std::size_t kDateTextSize = 32;
constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;

std::wstring DateText(std::int64_t date) {
  const std::optional<std::tm> local = platform::LocalTime(static_cast<std::time_t>(date));
  if (!local) return {};
  wchar_t text[kDateTextSize] = {};
  const std::size_t length = std::wcsftime(text, kDateTextSize, kDateFormat, &*local);
  return std::wstring(text, length);
}

model::ProgrammeDay* FindDay(model::CatalogueItem& channel, std::int64_t requestedDate) {
  const std::optional<std::tm> requested = platform::LocalTime(static_cast<std::time_t>(requestedDate));
  if (!requested) return nullptr;
  for (auto& day : channel.programmeDays) {
    const std::optional<std::tm> local = platform::LocalTime(static_cast<std::time_t>(day->date));
    if (local && local->tm_mday == requested->tm_mday) return day.get();
  }
  return nullptr;
}

std::int64_t ClockTextTime(const model::ProgrammeDay& day, const std::wstring& text) {
  const BlockClock clock = ReadBlockTime(text);
  return day.date + std::int64_t{clock.hours} * kSecondsPerHour + std::int64_t{clock.minutes} * kSecondsPerMinute;
}

void ReadBlocks(const XmlElement& root, model::ProgrammeDay& day) {
  model::ProgrammeBlock* previous = nullptr;
  for (XmlElement child = root.FirstChildElement("block"); child; child = child.NextSiblingElement("block")) {
    auto block = std::make_unique<model::ProgrammeBlock>();
    block->day = &day;
    block->id = AttributeNumber(child, "id");
    block->startText = AttributeText(child, "start");
    block->name = AttributeText(child, "name");
    block->startTime = ClockTextTime(day, block->startText);
    if (previous != nullptr) previous->endText = block->startText;
    previous = block.get();
    day.blocks.push_back(std::move(block));
  }
  if (previous != nullptr) previous->endText = AttributeText(root, "end_trs");
  for (auto& block : day.blocks) block->endTime = ClockTextTime(day, block->endText);
}

// Reads every "element" child, with the block for the start times, into the list.
void ReadElements(const XmlElement& root, model::ProgrammeBlock* block, model::RecordList<model::ProgrammeElement>& elements) {
  for (XmlElement child = root.FirstChildElement("element"); child; child = child.NextSiblingElement("element")) {
    auto element = ReadProgrammeElement(child, block);
    element->parentBlock = block;
    elements.push_back(std::move(element));
  }
}

int OneWhenOne(const XmlElement& element, const char* name) { return AttributeNumber(element, name) == 1 ? 1 : 0; }

// The block's start time already is its day at 00:00 plus its time of day;
// the element adds its offset within the block.
std::int64_t ElementStartTime(const std::wstring& startText, const model::ProgrammeBlock& block) {
  const ElementClock offset = ReadElementTime(startText);
  return block.startTime + std::int64_t{offset.minutes} * kSecondsPerMinute + offset.seconds;
}

}  // namespace

std::unique_ptr<model::ProgrammeElement> ReadProgrammeElement(const XmlElement& element, const model::ProgrammeBlock* block) {
  auto record = std::make_unique<model::ProgrammeElement>();
  record->type = AttributeText(element, "type");
  record->id = AttributeNumber(element, "id");
  record->name = AttributeText(element, "name");
  record->lengthText = AttributeText(element, "length");
  record->startText = AttributeText(element, "start");
  record->previewLink = AttributeText(element, "preview_link");
  record->playPrice = AttributeText(element, "play_price");
  record->downloadPrice = AttributeText(element, "dwn_price");
  record->favorite = OneWhenOne(element, "favorite");
  record->playBought = OneWhenOne(element, "play_buyed");
  record->downloadBought = OneWhenOne(element, "dwn_buyed");
  if (block != nullptr) record->startTime = ElementStartTime(record->startText, *block);
  return record;
}

model::RequestResultPtr ProgrammeBlocks(const ApiContext& api, model::CatalogueItem& channel, std::int64_t requestedDate) {
  model::ProgrammeDay* day = FindDay(channel, requestedDate);
  if (day == nullptr) return NewRequestResult();
  if (!day->blocks.empty()) {
    model::RequestResultPtr loaded = NewRequestResult();
    loaded->ok = true;
    return loaded;
  }
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request =
      FormatRequest(kBlocksFormat, {common.userId, common.key, common.affiliateId, api.data.settings.timeZoneId,
                                    DateText(requestedDate), channel.id, common.languageId});
  call.rootElement = "blocks";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadBlocks(root, *day);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr BlockElements(const ApiContext& api, model::ProgrammeBlock& block) {
  if (!block.elements.empty()) {
    model::RequestResultPtr loaded = NewRequestResult();
    loaded->ok = true;
    return loaded;
  }
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.request =
      FormatRequest(kBlockFormat, {block.id, common.userId, common.key, common.affiliateId, common.languageId});
  call.rootElement = "block";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadElements(root, &block, block.elements);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

model::RequestResultPtr CurrentBlock(const ApiContext& api, int which, int channelId,
                              model::RecordList<model::ProgrammeElement>& elements) {
  const CommonQueryValues common = CommonQuery(api);
  EndpointCall call;
  call.refreshList = [&] { elements.clear(); };
  call.request = FormatRequest(kCurrentBlockFormat, {common.userId, common.key, common.affiliateId, common.languageId,
                                                     channelId, which == kNextBlock ? kNextType : kLastType});
  call.rootElement = "block";
  call.readRoot = [&](const XmlElement& root, model::RequestResult& result) {
    ReadElements(root, nullptr, elements);
    result.ok = true;
  };
  return RunEndpoint(api, call);
}

}  // namespace kestrova::net
