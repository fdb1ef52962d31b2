// Password hashes at rest: Argon2id for new accounts, old salted SHA-256
// hashes replaced at the next successful log-in.
#include "database.h"
#include "support/server_fixture.h"

namespace kestrova::test {
namespace {

using server::Database;

struct StoredPassword {
  std::string salt;
  std::string hash;
};

StoredPassword Stored(const TempDir& dir, const std::string& login) {
  Database db((dir / "server.db").string());
  auto query = db.Prepare("SELECT salt, password_hash FROM accounts WHERE login = ?");
  query.Bind(1, login);
  if (!query.Step()) return {};
  return {query.Text(0), query.Text(1)};
}

TEST(PasswordTest, NewAccountsGetArgon2idAndOldHashesAreUpgradedAtLogIn) {
  TempDir dir;
  { ServerProcess create_the_database(dir); }
  // An account of the first versions: SHA-256 of "<salt>:<password>".
  const std::string old_hash = "ddfdf5bfbcbfccf53cdd8a88320965ae483a450bd4703a51bbc98a6078d02a3b";
  {
    Database db((dir / "server.db").string());
    auto insert = db.Prepare(
        "INSERT INTO accounts (login, salt, password_hash, nick, created) "
        "VALUES ('oldtimer', '00112233445566ff', ?, 'oldtimer', 0)");
    insert.Bind(1, old_hash).Run();
  }
  ServerProcess server(dir);
  ASSERT_NE(server.Port(), 0) << ReadFile(dir / "server.err");
  ApiClient api(server.Port());
  const std::string login = "/login.php?login=oldtimer&lng_id=02&affiliate_id=0&password=";

  EXPECT_EQ(api.Get(login + "pass1235").ErrorId(), 1101);
  EXPECT_EQ(Stored(dir, "oldtimer").hash, old_hash);  // a failed log-in changes nothing

  EXPECT_NE(api.Get(login + "pass1234").Root("login"), nullptr);
  const StoredPassword upgraded = Stored(dir, "oldtimer");
  EXPECT_EQ(upgraded.hash.rfind("$argon2id$", 0), 0u) << upgraded.hash;
  EXPECT_EQ(upgraded.salt, "");
  EXPECT_NE(api.Get(login + "pass1234").Root("login"), nullptr);
  EXPECT_EQ(api.Get(login + "pass1235").ErrorId(), 1101);
  EXPECT_EQ(api.Get(login).ErrorId(), 1101);

  const Session s = api.Register();
  EXPECT_EQ(Stored(dir, s.login).hash.rfind("$argon2id$", 0), 0u);
}

}  // namespace
}  // namespace kestrova::test
