// Runs the built kestrova-server on an ephemeral loopback port with a fresh
// database and SMS spool in a temporary folder, and talks to it with
// cpp-httplib and tinyxml2.
#pragma once

#include <httplib.h>
#include <sys/types.h>
#include <tinyxml2.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kestrova::test {

class ServerProcess {
 public:
  // Starts the server with the test folder's database and spool, the
  // request log's read-out on unless told otherwise (it is off by default),
  // and the given further options; Port() is 0 when it did not come up. A
  // launcher (a program and its arguments, e.g. setpriv) runs the server in
  // its stead.
  ServerProcess(const TempDir& dir, const std::vector<std::string>& options = {},
                const std::vector<std::string>& launcher = {}, bool log_read_out = true);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int Port() const { return port_; }
  pid_t Pid() const { return pid_; }
  // SIGTERM, then the exit status (-1 when it had to be killed).
  int Stop();

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// Runs kestrova-server with the arguments and returns its exit status (for
// start-up failures; a server that came up is stopped and gives -1).
int RunServerExpectingExit(const std::vector<std::string>& args, std::string* error_output);

struct Answer {
  int status = 0;
  std::string body;
  std::unique_ptr<tinyxml2::XMLDocument> doc;

  // The root element if it has this name, else nullptr.
  const tinyxml2::XMLElement* Root(const char* name) const;
  // The error element's id, or 0 when the answer is no error.
  int ErrorId() const;
  std::string ErrorText() const;
};

struct Session {
  int user_id = 0;
  std::string key;
  std::string login;
  std::string password;
  // "user_id=..&key=..&affiliate_id=0"
  std::string Query() const;
};

class ApiClient {
 public:
  explicit ApiClient(int port);

  // GET path (with query), parsed as XML when it is XML.
  Answer Get(const std::string& path, const httplib::Headers& headers = {});
  // Raw body and status, for pictures.
  httplib::Result Raw(const std::string& path);

  // new_user, decode, login: a fresh account with a session.
  Session Register();
  // Login of an existing account.
  Session Login(const std::string& login, const std::string& password);

  int Balance(const Session& session);

 private:
  httplib::Client client_;
};

// Attribute text ("" when missing) and number (0 when missing).
std::string Attr(const tinyxml2::XMLElement* element, const char* name);
int IntAttr(const tinyxml2::XMLElement* element, const char* name);

// Children with a name, in order.
std::vector<const tinyxml2::XMLElement*> Children(const tinyxml2::XMLElement* parent, const char* name);

// Today's date in the server's (local) time, as "DD-MM-YYYY", with a day offset.
std::string DateText(int days_from_today);

// A fixture with a running server and a client for it.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Further options of the test's server; may prepare files in dir_ first.
  virtual std::vector<std::string> ServerOptions() { return {}; }

  std::filesystem::path Spool() const { return dir_ / "sms" / "outgoing"; }

  TempDir dir_;
  std::unique_ptr<ServerProcess> server_;
  std::unique_ptr<ApiClient> api_;
};

}  // namespace kestrova::test
