#include "platform/program_dir.h"

#include <system_error>

namespace kestrova::platform {

std::filesystem::path ExecutableDirectory() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return self.parent_path();
}

std::filesystem::path ProgramDataDirectory(const std::filesystem::path& executableDirectory) {
  std::error_code ec;
  if (std::filesystem::exists(executableDirectory / "data.dat", ec)) return executableDirectory;
  const auto installed = executableDirectory.parent_path() / "share" / "kestrova";
  if (std::filesystem::exists(installed / "data.dat", ec)) return installed;
  return executableDirectory;
}

std::filesystem::path ProgramDataDirectory() { return ProgramDataDirectory(ExecutableDirectory()); }

}  // namespace kestrova::platform
