#include "journey_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "platform/registry.h"
#include "app/settings_store.h"

namespace kestrova::test {

UiHarness::Options JourneyTest::AtServer(int language) const {
  UiHarness::Options options;
  options.language = language;
  options.apiUrl = L"http://127.0.0.1:" + std::to_wstring(server_->Port());
  return options;
}

std::vector<std::string> JourneyTest::TakeRequests() {
  const auto log = api_->Raw("/_log/requests");
  std::vector<std::string> lines;
  if (log) {
    std::istringstream in(log->body);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.rfind("/_log/", 0) != 0) lines.push_back(line);
    }
  }
  api_->Raw("/_log/requests?clear=1");
  return lines;
}

bool JourneyTest::Contains(const std::vector<std::string>& requests, const std::string& script) {
  return std::any_of(requests.begin(), requests.end(),
                     [&](const std::string& line) { return line.rfind("/" + script, 0) == 0; });
}

std::filesystem::path JourneyTest::RequestedScreenshotFolder() {
  const char* dir = std::getenv("KESTROVA_SCREENSHOT_DIR");
  if (dir == nullptr || *dir == '\0') return {};
  std::filesystem::create_directories(dir);
  return dir;
}

std::filesystem::path JourneyTest::ScreenshotFolder() const {
  const std::filesystem::path requested = RequestedScreenshotFolder();
  if (!requested.empty()) return requested;
  std::filesystem::create_directories(dir_.Path());
  return dir_.Path();
}

std::wstring JourneyTest::RegistryText(const std::filesystem::path& file, const wchar_t* name) {
  const platform::Registry registry(file);
  return registry.QueryString(app::kProfileKey, name).value_or(L"");
}

int JourneyTest::RegistryNumber(const std::filesystem::path& file, const wchar_t* name) {
  const platform::Registry registry(file);
  return static_cast<int>(registry.QueryDword(app::kProfileKey, name).value_or(0xFFFFFFFFU));
}

void SelectRow(UiHarness& ui, int index) {
  for (int guard = 0; guard < 64 && ui.Screens().Current()->Selection() > index; ++guard) {
    ui.Press(platform::VK_UP);
  }
  for (int guard = 0; guard < 64 && ui.Screens().Current()->Selection() < index; ++guard) {
    ui.Press(platform::VK_DOWN);
  }
}

bool RegisterThroughTheForms(UiHarness& ui) {
  ui.Press(platform::VK_RETURN);  // English
  ui.KeyUp(platform::VK_F1);       // register
  if (!ui.RunUntilScreen(ui::kCountryScreen)) return false;
  const auto& countries = ui.Document().countries;
  for (std::size_t i = 0; i < countries.size(); ++i) {
    if (countries[i]->code == L"RU") SelectRow(ui, static_cast<int>(i));
  }
  ui.Press(platform::VK_RETURN);
  if (!ui.RunUntilScreen(ui::kOperatorScreen)) return false;
  ui.Press(platform::VK_RETURN);
  if (!ui.RunUntilScreen(ui::kZoneScreen)) return false;
  ui.Press(platform::VK_RETURN);
  if (!ui.RunUntilScreen(ui::kMainMenuScreen)) return false;
  for (std::size_t i = 0; i <= ui.Document().messages.size(); ++i) ui.Press(platform::VK_RETURN);
  return ui.PopupTitle().empty();
}

}  // namespace kestrova::test
