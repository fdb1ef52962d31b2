// Owns a temporary answer file and deletes it when it goes out of scope, so
// every way out of an endpoint (answer read, server error, unparsable
// answer) leaves no file behind.
#pragma once

#include <filesystem>
#include <system_error>
#include <utility>

namespace kestrova::net {

class AnswerFile {
 public:
  AnswerFile() = default;
  explicit AnswerFile(std::filesystem::path path) : path_(std::move(path)) {}
  ~AnswerFile() { Delete(); }
  AnswerFile(const AnswerFile&) = delete;
  AnswerFile& operator=(const AnswerFile&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The name to fill in (HttpGetToFile's output).
  std::filesystem::path& Target() { return path_; }

  void Delete() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    path_.clear();
  }

  // Hands the file on to a new owner, who deletes it.
  std::filesystem::path Release() { return std::exchange(path_, {}); }

 private:
  std::filesystem::path path_;
};

}  // namespace kestrova::net
