// Where the program's own files lie: data.dat and the language files sit
// next to the executable (a build tree), else in ../share/kestrova/ beside
// its bin folder (an installed tree).
#pragma once

#include <filesystem>

namespace kestrova::platform {

// The folder of the running executable.
std::filesystem::path ExecutableDirectory();

// The folder holding the program files, chosen as above for the executable
// folder given (exposed for tests).
std::filesystem::path ProgramDataDirectory(const std::filesystem::path& executableDirectory);
std::filesystem::path ProgramDataDirectory();

}  // namespace kestrova::platform
