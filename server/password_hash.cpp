#include "password_hash.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <thread>

namespace kestrova::server {
namespace {

constexpr std::string_view kArgon2idPrefix = "$argon2id$";
constexpr std::string_view kHexDigits = "0123456789abcdef";
constexpr std::size_t kNibbleBits = 4;
constexpr unsigned kNibbleMask = 0x0f;
constexpr std::size_t kStandInPasswordBytes = 32;

// Holds one hashing slot for the duration of a hash.
class SlotGuard {
 public:
  explicit SlotGuard(PasswordHasher::HashSlots& slots) : slots_(slots) { slots_.acquire(); }
  ~SlotGuard() { slots_.release(); }
  SlotGuard(const SlotGuard&) = delete;
  SlotGuard& operator=(const SlotGuard&) = delete;

 private:
  PasswordHasher::HashSlots& slots_;
};

std::ptrdiff_t SlotCount() {
  const auto cores = static_cast<std::ptrdiff_t>(std::max(1U, std::thread::hardware_concurrency()));
  return std::min(cores, PasswordHasher::kMaxConcurrentHashes);
}

}  // namespace

PasswordHasher::PasswordHasher(PasswordCost cost)
    : ops_limit_(cost == PasswordCost::kMinimum ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE),
      mem_limit_(cost == PasswordCost::kMinimum ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE),
      slots_(SlotCount()) {
  std::array<unsigned char, kStandInPasswordBytes> random{};
  randombytes_buf(random.data(), random.size());
  stand_in_ = Hash(std::string_view(reinterpret_cast<const char*>(random.data()), random.size()));
}

bool PasswordHasher::Initialise() { return sodium_init() >= 0; }

std::string PasswordHasher::Hash(std::string_view password) {
  std::array<char, crypto_pwhash_STRBYTES> out{};
  const SlotGuard slot(slots_);
  if (crypto_pwhash_str(out.data(), password.data(), password.size(), ops_limit_, mem_limit_) != 0) {
    throw std::runtime_error("password hash: out of memory");
  }
  return out.data();
}

PasswordCheck PasswordHasher::Verify(std::string_view password, std::string_view stored,
                                     std::string_view legacy_salt) {
  if (!stored.starts_with(kArgon2idPrefix)) {
    // A right old password costs a new hash on the way; a wrong one the same
    // time, so that it does not single out the accounts of old hashes.
    if (VerifyLegacy(password, stored, legacy_salt)) return PasswordCheck::kRightButRehash;
    VerifyNothing(password);
    return PasswordCheck::kWrong;
  }
  // The library wants a terminated string of at most STRBYTES.
  if (stored.size() >= crypto_pwhash_STRBYTES) {
    VerifyNothing(password);
    return PasswordCheck::kWrong;
  }
  const std::string terminated(stored);
  {
    const SlotGuard slot(slots_);
    if (crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) != 0) {
      return PasswordCheck::kWrong;
    }
  }
  // A hash made at another cost (a database of tests, or an older setting)
  // is brought to the server's current cost.
  return crypto_pwhash_str_needs_rehash(terminated.c_str(), ops_limit_, mem_limit_) != 0
             ? PasswordCheck::kRightButRehash
             : PasswordCheck::kRight;
}

void PasswordHasher::VerifyNothing(std::string_view password) {
  const SlotGuard slot(slots_);
  // Never matches: the stand-in's password is random bytes nobody knows.
  [[maybe_unused]] const int never = crypto_pwhash_str_verify(stand_in_.c_str(), password.data(), password.size());
}

// The first versions stored the SHA-256 of "<salt>:<password>" as 64 hex digits.
bool PasswordHasher::VerifyLegacy(std::string_view password, std::string_view stored, std::string_view salt) const {
  if (stored.size() != 2 * crypto_hash_sha256_BYTES || salt.empty()) return false;
  const std::string salted = std::string(salt) + ":" + std::string(password);
  std::array<unsigned char, crypto_hash_sha256_BYTES> digest{};
  crypto_hash_sha256(digest.data(), reinterpret_cast<const unsigned char*>(salted.data()), salted.size());
  std::string hex;
  for (const unsigned char byte : digest) {
    hex.push_back(kHexDigits[byte >> kNibbleBits]);
    hex.push_back(kHexDigits[byte & kNibbleMask]);
  }
  // Compared in constant time: the time taken tells nothing about how much
  // of the hash matched.
  return sodium_memcmp(hex.data(), stored.data(), hex.size()) == 0;
}

}  // namespace kestrova::server
