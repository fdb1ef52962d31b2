// One step of a live stream: the set-up exchange with the stream control
// script (its answer in the response headers: qualities with their segment
// sizes, segment length, programme name, known video), then the getvid
// exchange that downloads one Ogg segment at the chosen quality into a
// temporary file, which goes to the player through the segment sink. Both
// run over the session's kept connection, on the stream set-up worker,
// never two at once.
#pragma once

#include <cstdint>

#include "model/request_result.h"
#include "net/api_context.h"
#include "net/segment_sink.h"

namespace kestrova::net {

inline constexpr const wchar_t* kStreamSetupFormat =
    L"%scc.cgi?user_id=%d&user_key=%s&channel_id=%d&setup_type=bcast&lng_id=%d&client_type=wm&query_type=setup&%s";
inline constexpr const wchar_t* kStreamGetvidFormat =
    L"%scc.cgi?user_id=%d&user_key=%s&quality=%d&client_type=wm&query_type=getvid&%s";

// Fetches the next segment of the channel (or video) `channelId` and hands
// it to the sink. `taskStart` is when the command was submitted (device
// clock, seconds), the moment both URLs name. The getvid's download rate,
// timed on the network context's monotonic clock, is kept for the choice of
// the next segment's quality. The result has ok 1 when the segment arrived
// (also when nobody took it, or the session is ending), ok 0 when either
// exchange failed or the body is no Ogg stream; its message is empty. No file is left behind that the
// sink did not take.
model::RequestResultPtr FetchLiveSegment(const ApiContext& api, int channelId, std::int64_t taskStart,
                                         SegmentSink& sink);

}  // namespace kestrova::net
