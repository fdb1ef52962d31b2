// Billing scripts: shortnumbers, bill, subscribe_channel, buy_info, feedback,
// gifts, and the report of a sent payment SMS (sms_sent).
#pragma once

#include "api_router.h"
#include "server_context.h"

namespace kestrova::server {

class BillingApi {
 public:
  explicit BillingApi(ServerContext& context) : context_(context) {}

  void Register(ApiRouter& router);

 private:
  std::string ShortNumbers(const ApiRequest& request);
  std::string Bill(const ApiRequest& request);
  std::string Subscribe(const ApiRequest& request);
  std::string BuyInfo(const ApiRequest& request);
  std::string Feedback(const ApiRequest& request);
  std::string Gifts(const ApiRequest& request);
  std::string SmsSent(const ApiRequest& request);

  // Payment SMS that reached the spool are handled before the balance is read.
  void ReadSpool();

  ServerContext& context_;
};

}  // namespace kestrova::server
