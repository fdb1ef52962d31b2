// Account passwords at rest: Argon2id strings from libsodium for every new or
// changed password. Hashes of the server's first versions (one salted SHA-256)
// are still accepted at log-in and then replaced by an Argon2id string.
#pragma once

#include <cstddef>
#include <semaphore>
#include <string>
#include <string_view>

namespace kestrova::server {

// How much work one hash takes. Interactive is the library's recommendation
// for log-ins; minimum exists for tests, which create many accounts under
// the sanitizers.
enum class PasswordCost { kInteractive, kMinimum };

enum class PasswordCheck {
  kWrong,
  kRight,
  kRightButRehash  // right, and stored in an old or cheaper form: hash it anew
};

class PasswordHasher {
 public:
  // Makes the stand-in hash for unknown logins (see VerifyNothing): throws
  // std::runtime_error like Hash.
  explicit PasswordHasher(PasswordCost cost);

  // False when libsodium cannot start (no usable random source).
  static bool Initialise();

  // An Argon2id string with its own salt and cost parameters; throws
  // std::runtime_error when the hash cannot be made (out of memory).
  std::string Hash(std::string_view password);
  // legacy_salt: the salt column of an old SHA-256 hash (ignored otherwise).
  // A wrong password for an old or unusable stored form takes as long as one
  // for an Argon2id string of the current cost.
  PasswordCheck Verify(std::string_view password, std::string_view stored, std::string_view legacy_salt);
  // The work of one Verify against a hash of the current cost, for a login
  // that does not exist: its answer then takes as long as a wrong password's
  // and tells nobody that the login is unknown.
  void VerifyNothing(std::string_view password);

  // Each hash takes its memory cost for its duration: at most this many (and
  // no more than the machine has cores) at once, so that a burst of log-ins
  // cannot exhaust the memory.
  static constexpr std::ptrdiff_t kMaxConcurrentHashes = 64;
  using HashSlots = std::counting_semaphore<kMaxConcurrentHashes>;

 private:
  bool VerifyLegacy(std::string_view password, std::string_view stored, std::string_view salt) const;

  unsigned long long ops_limit_;
  std::size_t mem_limit_;
  HashSlots slots_;
  std::string stand_in_;  // a hash of a random password, made at start-up
};

}  // namespace kestrova::server
