// The user's registry: keys holding typed values (DWORD, string, binary),
// kept in a REGEDIT4-style text file under HKEY_CURRENT_USER.
//
// Reads come from memory. Changes are collected and written by Flush(), which
// re-reads the file, applies only this object's changes and replaces the file
// atomically (temporary file + rename, mode 0600), so that a value written
// meanwhile by another process (kestrova-install) is not lost. A missing or
// unreadable file reads as empty; a line that cannot be parsed is skipped.
//
// Key paths and value names are compared without regard to ASCII letter case,
// as the handset's registry does. Used on the user-interface thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"

namespace kestrova::platform {

enum class RegType { Dword, String, Binary };

struct RegValue {
  RegType type = RegType::Binary;
  std::uint32_t dword = 0;          // RegType::Dword
  std::wstring text;                // RegType::String
  std::vector<std::uint8_t> bytes;  // RegType::Binary

  // Size in bytes as the registry reports it: 4 for a DWORD, the byte count
  // of a binary value, and the UTF-16 size with terminator for a string.
  std::size_t Size() const;

  bool operator==(const RegValue&) const = default;
};

class Registry {
 public:
  // "$KESTROVA_REGISTRY", else "$XDG_CONFIG_HOME/kestrova/registry.reg",
  // else "$HOME/.config/kestrova/registry.reg".
  static std::filesystem::path DefaultPath();

  explicit Registry(std::filesystem::path file);

  const std::filesystem::path& Path() const { return file_; }

  bool KeyExists(const std::wstring& key) const;
  void CreateKey(const std::wstring& key);

  std::optional<RegValue> Query(const std::wstring& key, const std::wstring& name) const;
  // A value of exactly four bytes (a DWORD, or a 4-byte binary value read as
  // little-endian); any other size or a string counts as missing.
  std::optional<std::uint32_t> QueryDword(const std::wstring& key, const std::wstring& name) const;
  std::optional<std::wstring> QueryString(const std::wstring& key, const std::wstring& name) const;

  void SetValue(const std::wstring& key, const std::wstring& name, RegValue value);
  void SetDword(const std::wstring& key, const std::wstring& name, std::uint32_t value);
  void SetString(const std::wstring& key, const std::wstring& name, std::wstring value);
  void SetBinary(const std::wstring& key, const std::wstring& name, std::vector<std::uint8_t> value);
  void DeleteValue(const std::wstring& key, const std::wstring& name);

  bool HasPendingChanges() const { return !changes_.empty(); }
  // Writes pending changes; succeeds when there was nothing to write or the
  // file was replaced. On failure the changes stay pending.
  Status Flush();

  // Removes the temporary copies ("<file>.XXXXXX", mode 0600, holding the
  // password) that saves killed before their rename left next to the file.
  // A save holds its copy locked until the rename, so another instance's
  // save in progress keeps its copy; other files are never touched. Returns
  // how many were removed. Run at start-up.
  std::size_t RemoveStaleCopies() const;

  // The file's text for the given keys (used by Flush; exposed for tests).
  struct Key {
    std::wstring path;  // as first written, without the hive
    std::map<std::wstring, std::pair<std::wstring, RegValue>> values;  // folded name -> (name, value)
  };
  using KeyMap = std::map<std::wstring, Key>;  // folded path -> key

  static KeyMap Parse(const std::string& fileText);
  static std::string Serialise(const KeyMap& keys);

 private:
  struct Change {
    std::wstring key;
    std::wstring name;                // empty with createOnly
    std::optional<RegValue> value;    // nullopt: delete
    bool createOnly = false;
  };

  static void Apply(KeyMap& keys, const Change& change);

  std::filesystem::path file_;
  KeyMap keys_;
  std::vector<Change> changes_;
};

}  // namespace kestrova::platform
