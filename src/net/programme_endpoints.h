// The TV programme: the blocks of one channel day, the elements of a block,
// the current or next programme of the playing channel, and the element
// reader the programme and the video catalogue share.
#pragma once

#include <cstdint>
#include <memory>

#include "net/programme_records.h"
#include "net/record_list.h"
#include "net/request_result.h"
#include "net/xml_answer.h"

namespace kestrova::app {
class CKestrovaDoc;
}

namespace kestrova::net {

struct CatalogueItem;

// CurrentBlock's choice.
inline constexpr int kLastBlock = 0;
inline constexpr int kNextBlock = 1;

// One "element" (or "video") element as a ProgrammeElement. With a block,
// its start time is the block's day at 00:00 plus the block's time of day
// plus the element's "MM:SS"; without one it stays 0.
std::unique_ptr<ProgrammeElement> ReadProgrammeElement(const XmlElement& element, const ProgrammeBlock* block);

// blocks.php for the channel's day with the requested date's day of the
// month. Fails without a request when the channel has no such day; a day
// that has blocks succeeds without one.
RequestResultPtr ProgrammeBlocks(app::CKestrovaDoc& document, CatalogueItem& channel, std::int64_t requestedDate);

// block.php by id; a block that has elements succeeds without a request.
RequestResultPtr BlockElements(app::CKestrovaDoc& document, ProgrammeBlock& block);

// block.php relative to now for the playing channel: kLastBlock for the
// current programme, kNextBlock for the following one. Refills `elements`.
RequestResultPtr CurrentBlock(app::CKestrovaDoc& document, int which, int channelId,
                              RecordList<ProgrammeElement>& elements);

}  // namespace kestrova::net
