// The server's own texts (error messages, answers, account messages) in the
// four languages of the service.
#pragma once

#include <string>
#include <string_view>

#include "language.h"

namespace kestrova::server {

enum class TextId {
  kMissingParameter,     // {0} parameter name
  kBadParameter,         // {0} parameter name
  kTooLong,              // {0} parameter name
  kWrongPassword,
  kBadSession,
  kUnknownId,            // {0} parameter name, {1} value
  kInsufficientBalance,  // {0} price, {1} balance
  kNotForSale,
  kGiftUnknown,
  kGiftUsed,
  kGiftActivated,        // {0} credits
  kFeedbackThanks,
  kSubscribed,           // {0} name, {1} days
  kAlreadySubscribed,    // {0} name, {1} days left
  kFreeChannel,          // {0} name
  kUpdateRecommended,    // {0} version
  kUpdateRequired,       // {0} version
  kFavouritesFolder,
  kPurchasesFolder,
  kWelcomeHeader,
  kWelcomeText,          // {0} login
  kCreditHeader,
  kCreditText,           // {0} credits
  kSubscriptionHeader,
  kSubscriptionText,     // {0} name, {1} days
  kInternalError,
  kCount
};

const std::string& Text(TextId id, Language language);

inline std::string Text(TextId id, Language language, std::initializer_list<std::string_view> values) {
  return FormatText(Text(id, language), values);
}

}  // namespace kestrova::server
