#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/file_descriptor.h"
#include "platform/utf8.h"

namespace kestrova::platform {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kHive = "HKEY_CURRENT_USER\\";

std::wstring Fold(std::wstring_view text) {
  std::wstring out(text);
  for (auto& c : out) {
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  }
  return out;
}

// Removes leading and trailing backslashes; the registry's paths never carry them.
std::wstring NormaliseKey(std::wstring_view key) {
  while (!key.empty() && key.front() == L'\\') key.remove_prefix(1);
  while (!key.empty() && key.back() == L'\\') key.remove_suffix(1);
  return std::wstring(key);
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads a quoted string starting at s[pos] == '"'; advances pos past the
// closing quote. Escapes: \\ \" \n \r \t.
std::optional<std::string> ReadQuoted(std::string_view s, std::size_t& pos) {
  if (pos >= s.size() || s[pos] != '"') return std::nullopt;
  std::string out;
  for (++pos; pos < s.size(); ++pos) {
    const char c = s[pos];
    if (c == '"') {
      ++pos;
      return out;
    }
    if (c == '\\') {
      if (++pos >= s.size()) return std::nullopt;
      switch (s[pos]) {
        case '\\': out.push_back('\\'); break;
        case '"': out.push_back('"'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        default: return std::nullopt;
      }
      continue;
    }
    out.push_back(c);
  }
  return std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view s) {
  std::vector<std::uint8_t> bytes;
  s = Trim(s);
  if (s.empty()) return bytes;
  std::size_t pos = 0;
  while (true) {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    if (pos + 2 > s.size()) return std::nullopt;
    const int hi = HexDigit(s[pos]);
    const int lo = HexDigit(s[pos + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    pos += 2;
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) ++pos;
    if (pos == s.size()) return bytes;
    if (s[pos] != ',') return std::nullopt;
    ++pos;
  }
}

std::optional<RegValue> ParseData(std::string_view data) {
  data = Trim(data);
  RegValue value;
  if (!data.empty() && data.front() == '"') {
    std::size_t pos = 0;
    auto text = ReadQuoted(data, pos);
    if (!text || !Trim(data.substr(pos)).empty()) return std::nullopt;
    auto wide = DecodeUtf8(*text);
    if (!wide) return std::nullopt;
    value.type = RegType::String;
    value.text = std::move(*wide);
    return value;
  }
  if (data.starts_with("dword:")) {
    const auto digits = data.substr(6);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (const char c : digits) {
      const int d = HexDigit(c);
      if (d < 0) return std::nullopt;
      v = (v << 4U) | static_cast<std::uint32_t>(d);
    }
    value.type = RegType::Dword;
    value.dword = v;
    return value;
  }
  if (data.starts_with("hex:")) {
    auto bytes = ParseHexBytes(data.substr(4));
    if (!bytes) return std::nullopt;
    value.type = RegType::Binary;
    value.bytes = std::move(*bytes);
    return value;
  }
  return std::nullopt;  // other value types are not kept by this program
}

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(text).str();
}

// The temporary copy a save writes before renaming it over the file: the
// file's name, a dot and mkstemp's six letters or digits.
constexpr std::string_view kCopySuffix = ".XXXXXX";
// A save whose fresh copy was removed under it (by another instance's
// start-up, in the moment before the save locked it) starts again.
constexpr int kCopyAttempts = 3;

bool IsCopyName(std::string_view name, std::string_view fileName) {
  if (name.size() != fileName.size() + kCopySuffix.size() || !name.starts_with(fileName)) return false;
  if (name[fileName.size()] != '.') return false;
  for (const char c : name.substr(fileName.size() + 1)) {
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!letterOrDigit) return false;
  }
  return true;
}

// Whether the name still refers to the opened file (not removed, not
// replaced by another one).
bool NameStillRefersTo(const std::string& name, int fd) {
  struct stat opened {};
  struct stat named {};
  return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

// A fresh copy next to the file, created with mode 0600 and exclusively
// locked: the lock, held until the descriptor closes, tells another
// instance's clean-up that a save owns it. `name` receives its path.
FileDescriptor CreateLockedCopy(const std::filesystem::path& file, std::string& name) {
  for (int attempt = 0; attempt < kCopyAttempts; ++attempt) {
    name = file.string() + std::string(kCopySuffix);
    FileDescriptor fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd.Valid()) return fd;
    if (::flock(fd.Get(), LOCK_EX) != 0) {
      ::unlink(name.c_str());  // no copy without an owner
      continue;
    }
    if (NameStillRefersTo(name, fd.Get())) return fd;
  }
  return FileDescriptor();
}

// Why a system call failed: what was done, to which file, and errno's text.
Status SystemFailure(const char* action, const std::filesystem::path& file, int error) {
  return Status::Failure(std::string("cannot ") + action + " " + file.string() + ": " + std::strerror(error));
}

Status ReplaceFileAtomically(const std::filesystem::path& file, const std::string& text) {
  std::error_code ec;
  const auto dir = file.parent_path();
  if (!dir.empty() && !std::filesystem::exists(dir, ec)) {
    std::filesystem::create_directories(dir, ec);
    if (ec) return Status::Failure("cannot create " + dir.string() + ": " + ec.message());
    ::chmod(dir.c_str(), 0700);
  }
  std::string copy;
  FileDescriptor fd = CreateLockedCopy(file, copy);
  if (!fd.Valid()) return SystemFailure("create a copy of", file, errno);
  Status status;
  if (::fchmod(fd.Get(), 0600) != 0 || !WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0) {
    status = SystemFailure("write", copy, errno);
  } else if (std::rename(copy.c_str(), file.c_str()) != 0) {
    // Renamed while still locked, so the copy is never without an owner.
    status = SystemFailure("replace", file, errno);
  }
  if (!status.Ok()) ::unlink(copy.c_str());
  if (!fd.Close() && status.Ok()) status = SystemFailure("close", file, errno);
  return status;
}

}  // namespace

std::size_t RegValue::Size() const {
  switch (type) {
    case RegType::Dword: return 4;
    case RegType::String: return (text.size() + 1) * 2;
    case RegType::Binary: return bytes.size();
  }
  return 0;
}

std::filesystem::path Registry::DefaultPath() {
  if (const char* explicitPath = std::getenv("KESTROVA_REGISTRY"); explicitPath && *explicitPath) {
    return explicitPath;
  }
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".config";
  } else {
    base = ".";
  }
  return base / "kestrova" / "registry.reg";
}

Registry::Registry(std::filesystem::path file) : file_(std::move(file)) {
  if (auto text = ReadWholeFile(file_)) keys_ = Parse(*text);
}

std::size_t Registry::RemoveStaleCopies() const {
  const std::string fileName = file_.filename().string();
  if (fileName.empty()) return 0;
  const std::filesystem::path dir = file_.has_parent_path() ? file_.parent_path() : std::filesystem::path(".");
  std::size_t removed = 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (!IsCopyName(it->path().filename().string(), fileName)) continue;
    const std::string name = it->path().string();
    FileDescriptor fd(::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    // A save in progress holds its copy's lock: that one is not stale.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) continue;
    if (NameStillRefersTo(name, fd.Get()) && ::unlink(name.c_str()) == 0) ++removed;
  }
  return removed;
}

Registry::KeyMap Registry::Parse(const std::string& fileText) {
  KeyMap keys;
  std::string_view text(fileText);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);

  Key* current = nullptr;
  std::string logical;  // a value line, joined with its continuation lines
  bool continuing = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view physical = Trim(text.substr(start, end - start));
    start = end + 1;

    if (continuing) logical.append(physical);
    else logical.assign(physical);
    continuing = false;
    if (!logical.empty() && logical.front() != '[' && logical.back() == '\\' && start <= text.size()) {
      logical.pop_back();
      continuing = true;
      continue;
    }
    const std::string_view line = logical;

    if (line.empty() || line.front() == ';' || line == kHeader) continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']') continue;
      auto inner = line.substr(1, line.size() - 2);
      if (!inner.starts_with(kHive)) continue;  // other hives and deletions are not ours
      auto path = DecodeUtf8(inner.substr(kHive.size()));
      if (!path) continue;
      const auto normal = NormaliseKey(*path);
      if (normal.empty()) continue;
      auto& key = keys[Fold(normal)];
      if (key.path.empty()) key.path = normal;
      current = &key;
      continue;
    }
    if (current == nullptr) continue;

    std::string name;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else {
      auto quoted = ReadQuoted(line, pos);
      if (!quoted) continue;
      name = std::move(*quoted);
    }
    if (pos >= line.size() || line[pos] != '=') continue;
    auto value = ParseData(line.substr(pos + 1));
    auto wideName = DecodeUtf8(name);
    if (!value || !wideName) continue;
    current->values[Fold(*wideName)] = {*wideName, std::move(*value)};
  }
  return keys;
}

std::string Registry::Serialise(const KeyMap& keys) {
  std::string out(kHeader);
  out += "\n";
  for (const auto& [folded, key] : keys) {
    out += "\n[";
    out += kHive;
    out += EncodeUtf8(key.path);
    out += "]\n";
    for (const auto& [foldedName, entry] : key.values) {
      const auto& [name, value] = entry;
      out += name.empty() ? std::string("@") : "\"" + Escape(EncodeUtf8(name)) + "\"";
      out += "=";
      switch (value.type) {
        case RegType::Dword: {
          char digits[16];
          std::snprintf(digits, sizeof digits, "dword:%08x", value.dword);
          out += digits;
          break;
        }
        case RegType::String:
          out += "\"" + Escape(EncodeUtf8(value.text)) + "\"";
          break;
        case RegType::Binary: {
          out += "hex:";
          for (std::size_t i = 0; i < value.bytes.size(); ++i) {
            char digits[4];
            std::snprintf(digits, sizeof digits, "%02x", value.bytes[i]);
            if (i > 0) out += ",";
            out += digits;
          }
          break;
        }
      }
      out += "\n";
    }
  }
  return out;
}

bool Registry::KeyExists(const std::wstring& key) const {
  return keys_.contains(Fold(NormaliseKey(key)));
}

void Registry::CreateKey(const std::wstring& key) {
  Change change{NormaliseKey(key), {}, std::nullopt, true};
  if (change.key.empty()) return;
  Apply(keys_, change);
  changes_.push_back(std::move(change));
}

std::optional<RegValue> Registry::Query(const std::wstring& key, const std::wstring& name) const {
  const auto k = keys_.find(Fold(NormaliseKey(key)));
  if (k == keys_.end()) return std::nullopt;
  const auto v = k->second.values.find(Fold(name));
  if (v == k->second.values.end()) return std::nullopt;
  return v->second.second;
}

std::optional<std::uint32_t> Registry::QueryDword(const std::wstring& key, const std::wstring& name) const {
  const auto value = Query(key, name);
  if (!value) return std::nullopt;
  if (value->type == RegType::Dword) return value->dword;
  if (value->type == RegType::Binary && value->bytes.size() == 4) {
    const auto& b = value->bytes;
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8U) |
           (static_cast<std::uint32_t>(b[2]) << 16U) | (static_cast<std::uint32_t>(b[3]) << 24U);
  }
  return std::nullopt;
}

std::optional<std::wstring> Registry::QueryString(const std::wstring& key, const std::wstring& name) const {
  const auto value = Query(key, name);
  if (!value || value->type != RegType::String) return std::nullopt;
  return value->text;
}

void Registry::SetValue(const std::wstring& key, const std::wstring& name, RegValue value) {
  Change change{NormaliseKey(key), name, std::move(value), false};
  if (change.key.empty()) return;
  Apply(keys_, change);
  changes_.push_back(std::move(change));
}

void Registry::SetDword(const std::wstring& key, const std::wstring& name, std::uint32_t value) {
  RegValue v;
  v.type = RegType::Dword;
  v.dword = value;
  SetValue(key, name, std::move(v));
}

void Registry::SetString(const std::wstring& key, const std::wstring& name, std::wstring value) {
  RegValue v;
  v.type = RegType::String;
  v.text = std::move(value);
  SetValue(key, name, std::move(v));
}

void Registry::SetBinary(const std::wstring& key, const std::wstring& name, std::vector<std::uint8_t> value) {
  RegValue v;
  v.type = RegType::Binary;
  v.bytes = std::move(value);
  SetValue(key, name, std::move(v));
}

void Registry::DeleteValue(const std::wstring& key, const std::wstring& name) {
  Change change{NormaliseKey(key), name, std::nullopt, false};
  if (change.key.empty()) return;
  Apply(keys_, change);
  changes_.push_back(std::move(change));
}

void Registry::Apply(KeyMap& keys, const Change& change) {
  auto& key = keys[Fold(change.key)];
  if (key.path.empty()) key.path = change.key;
  if (change.createOnly) return;
  if (change.value) {
    key.values[Fold(change.name)] = {change.name, *change.value};
  } else {
    key.values.erase(Fold(change.name));
  }
}

Status Registry::Flush() {
  if (changes_.empty()) return {};
  KeyMap merged;
  if (auto text = ReadWholeFile(file_)) merged = Parse(*text);
  for (const auto& change : changes_) Apply(merged, change);
  if (Status written = ReplaceFileAtomically(file_, Serialise(merged)); !written) return written;
  keys_ = std::move(merged);
  changes_.clear();
  return {};
}

}  // namespace kestrova::platform
