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
  // The folder KESTROVA_SCREENSHOT_DIR names (scripts/screenshots sets it),
  // made if missing; empty when the variable is not set.
  static std::filesystem::path RequestedScreenshotFolder();
  // That folder, or the test's own when none was asked for.
  std::filesystem::path ScreenshotFolder() const;
};

// Presses Up or Down until the current screen's selection is `index`.
void SelectRow(UiHarness& ui, int index);

// From the language choice of a first start through registration, Russia,
// its first operator and zone, to the main menu with its notices read.
// False when a step did not arrive.
bool RegisterThroughTheForms(UiHarness& ui);

}  // namespace kestrova::test
