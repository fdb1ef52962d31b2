// The money side of the service: premium short numbers, the account
// balance, channel subscriptions, the purchase options of a video, gift
// codes and feedback to the operator. Each runs on the network worker and
// returns a RequestResult; none shows anything.
#pragma once

#include <string_view>

#include "model/request_result.h"
#include "net/api_context.h"

namespace kestrova::net {
}  // namespace kestrova::net

namespace kestrova::billing {

// The folder of bought videos in the video catalogue.
inline constexpr int kPurchasedVideosFolderId = -2;
// That folder is shown in pages of this many videos; a copy is added only
// while the last page has room.
inline constexpr int kPurchasedVideosPageSize = 10;

enum class BuyType { kPlay = 0, kDownload = 1 };

// Refills the short numbers list; ok 1 when the answer has its root
// element, also with no numbers.
model::RequestResultPtr ShortNumbers(const net::ApiContext& api);

// Reads the account balance; ok 1 on any answer without an error, the
// balance changing only when the answer has it.
model::RequestResultPtr Bill(const net::ApiContext& api);

// Subscribes to a paid channel or package; the answer's message and the
// channel's period, balance and price are stored. Without an entry ok 0.
model::RequestResultPtr SubscribeChannel(const net::ApiContext& api, model::CatalogueItem* channel);

// Loads the purchase options of a video into its purchase qualities. A
// play request is made once per video (a repeat gives ok 0 without a
// request); download options already loaded give ok 1 and secondary 1
// without a request. The first load also files a copy of the video in the
// bought-videos folder.
model::RequestResultPtr BuyInfo(const net::ApiContext& api, model::ProgrammeElement* video, BuyType type);

// Sends a message to the operator; the text travels in the "Text" header
// line, with line breaks made blanks. The answer's message becomes the
// document's feedback message.
model::RequestResultPtr Feedback(const net::ApiContext& api, std::wstring_view phone, std::wstring_view email,
                               std::wstring_view message);

// Activates a gift code; ok 1 with the answer's message (empty when the
// answer has none), ok 0 on a server error or when no answer arrived.
model::RequestResultPtr Gifts(const net::ApiContext& api, std::wstring_view code);

// The feedback header line for a message text: "Text: <text>\r\n", with
// carriage returns, line feeds and NULs made blanks so the text cannot end
// the line early or add header lines.
std::wstring FeedbackHeader(std::wstring_view message);

}  // namespace kestrova::billing
