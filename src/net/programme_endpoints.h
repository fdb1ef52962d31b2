// The TV programme: the blocks of one channel day, the elements of a block,
// the current or next programme of the playing channel, and the element
// reader the programme and the video catalogue share.
#pragma once

#include <cstdint>
#include <memory>

#include "model/programme_records.h"
#include "model/record_list.h"
#include "model/request_result.h"
#include "net/api_context.h"
#include "net/xml_answer.h"

namespace kestrova::net {


// CurrentBlock's choice.
inline constexpr int kLastBlock = 0;
inline constexpr int kNextBlock = 1;

// One "element" (or "video") element as a ProgrammeElement. With a block,
// its start time is the block's day at 00:00 plus the block's time of day
// plus the element's "MM:SS"; without one it stays 0.
std::unique_ptr<model::ProgrammeElement> ReadProgrammeElement(const XmlElement& element, const model::ProgrammeBlock* block);

// blocks.php for the channel's day with the requested date's day of the
// month. Fails without a request when the channel has no such day; a day
// that has blocks succeeds without one.
model::RequestResultPtr ProgrammeBlocks(const ApiContext& api, model::CatalogueItem& channel, std::int64_t requestedDate);

// block.php by id; a block that has elements succeeds without a request.
model::RequestResultPtr BlockElements(const ApiContext& api, model::ProgrammeBlock& block);

// block.php relative to now for the playing channel: kLastBlock for the
// current programme, kNextBlock for the following one. Refills `elements`.
model::RequestResultPtr CurrentBlock(const ApiContext& api, int which, int channelId,
                              model::RecordList<model::ProgrammeElement>& elements);

}  // namespace kestrova::net
