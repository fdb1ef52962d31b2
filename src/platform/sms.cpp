#include "platform/sms.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_descriptor.h"
#include "platform/utf8.h"

namespace kestrova::platform {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSpoolSubfolder = "kestrova/sms/outgoing";
constexpr const char* kTempPrefix = ".kestrova-";  // dot-names are skipped by the gateway
constexpr const char* kTempPattern = "XXXXXX";
constexpr const char* kFilePrefix = "kestrova-";
// Readable by the gateway's own user, which usually is not ours.
constexpr mode_t kMessageFileMode = 0644;

// Removes the file on the way out unless it was kept.
class FileRemover {
 public:
  explicit FileRemover(fs::path file) : file_(std::move(file)) {}
  ~FileRemover() {
    if (file_.empty()) return;
    std::error_code ignored;
    fs::remove(file_, ignored);
  }
  FileRemover(const FileRemover&) = delete;
  FileRemover& operator=(const FileRemover&) = delete;
  void Keep() { file_.clear(); }

 private:
  fs::path file_;
};

bool IsPhoneNumber(std::wstring_view address) {
  if (address.empty() || address.size() > kMaxSmsAddressLength) return false;
  if (address.front() == L'+') address.remove_prefix(1);
  if (address.empty()) return false;
  for (const wchar_t c : address) {
    if (c < L'0' || c > L'9') return false;
  }
  return true;
}

void SyncDirectory(const fs::path& folder) {
  FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) ::fsync(fd.Get());
}

// Moves the finished file to its final name without replacing a message
// that is already waiting there. A rename is what the gateway watches for:
// a file renamed into the spool is whole, and is read at once.
bool PlaceFile(const fs::path& temp, const fs::path& target) {
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without that rename: a hard link, which the gateway reads
  // once the file has stopped changing for a moment.
  if (::link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  // File systems without hard links: rename, after checking the name is free.
  std::error_code ec;
  if (fs::exists(target, ec) || ec) return false;
  fs::rename(temp, target, ec);
  return !ec;
}

std::string MessageFileName(std::string_view uniquePart) {
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
  // Time-stamped, so a gateway that sorts by name sends in order.
  return kFilePrefix + std::to_string(milliseconds) + "-" + std::string(uniquePart);
}

}  // namespace

fs::path SmsSpoolDirectory() {
  if (const char* spool = std::getenv(kSmsSpoolVariable); spool != nullptr && *spool != '\0') return spool;
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    return fs::path(data) / kSpoolSubfolder;
  }
  const char* home = std::getenv("HOME");
  return fs::path(home != nullptr ? home : "") / ".local/share" / kSpoolSubfolder;
}

std::string SmsSpoolFileContent(std::wstring_view address, std::wstring_view text) {
  // smstools reads a body without an Alphabet header as ISO-8859-15.
  return "To: " + EncodeUtf8(address) + "\nAlphabet: UTF-8\n\n" + EncodeUtf8(text);
}

std::optional<fs::path> SendSmsMessage(const fs::path& spool, std::wstring_view address, std::wstring_view text) {
  if (!IsPhoneNumber(address) || spool.empty()) return std::nullopt;
  std::error_code ec;
  fs::create_directories(spool, ec);
  if (!fs::is_directory(spool, ec)) return std::nullopt;

  std::string pattern = (spool / (std::string(kTempPrefix) + kTempPattern)).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  FileDescriptor fd(::mkstemp(name.data()));
  if (!fd.Valid()) return std::nullopt;
  const fs::path temp(name.data());
  FileRemover removeTemp(temp);

  if (!WriteAll(fd.Get(), SmsSpoolFileContent(address, text))) return std::nullopt;
  if (::fchmod(fd.Get(), kMessageFileMode) != 0 || ::fsync(fd.Get()) != 0 || !fd.Close()) return std::nullopt;

  const std::string tempName = temp.filename().string();
  const fs::path target = spool / MessageFileName(std::string_view(tempName).substr(std::string_view(kTempPrefix).size()));
  if (!PlaceFile(temp, target)) return std::nullopt;
  removeTemp.Keep();
  SyncDirectory(spool);
  // Placed means accepted: the gateway may have taken the file already.
  return target;
}

}  // namespace kestrova::platform
