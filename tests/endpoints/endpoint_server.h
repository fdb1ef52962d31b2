// A running kestrova-server with a client document pointed at it, and the
// request lines the server recorded, for the endpoint tests.
#pragma once

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "support/server_fixture.h"
#include "support/test_document.h"

namespace kestrova::test {

class EndpointServerTest : public ServerTest {
 protected:
  // English (server language 2), the clock at the real time.
  void SetUp() override;
  void TearDown() override;

  app::CKestrovaDoc& Doc() { return document_->Doc(); }

  // A fresh account logged in through the client endpoints.
  void RegisterAndLogIn();

  // Forgets the recorded request lines.
  void ClearRequests();
  // The request lines since the last clear, each without the suffix every
  // request shares ("&friend_id=5&agregator_id=7&" and the time token).
  std::vector<std::string> Requests();

  // "user_id=..&key=*&affiliate_id=2" of the logged-in account, as the
  // server records it (the session key masked).
  std::string SessionQuery() const;

  std::unique_ptr<TestDocument> document_;
};

}  // namespace kestrova::test
