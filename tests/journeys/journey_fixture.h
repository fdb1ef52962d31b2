// A running kestrova-server and the real program driven headless against
// it: the journeys a user takes through the screens.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/server_fixture.h"
#include "support/ui_harness.h"

namespace kestrova::test {

class JourneyTest : public ServerTest {
 protected:
  // The harness options pointed at the test's server.
  UiHarness::Options AtServer(int language = resources::kNoLanguage) const;
  // The request targets the server saw since the last call (the test's own
  // look-ups excluded), and forgets them.
  std::vector<std::string> TakeRequests();
  static bool Contains(const std::vector<std::string>& requests, const std::string& script);
  // Registry values written by the program.
  static std::wstring RegistryText(const std::filesystem::path& file, const wchar_t* name);
  static int RegistryNumber(const std::filesystem::path& file, const wchar_t* name);
  // Presses Down until the screen's selection is `index` (from the top).
  static void Select(UiHarness& ui, int index);
};

}  // namespace kestrova::test
