#include "journey_fixture.h"

#include <algorithm>
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

std::wstring JourneyTest::RegistryText(const std::filesystem::path& file, const wchar_t* name) {
  const platform::Registry registry(file);
  return registry.QueryString(app::kProfileKey, name).value_or(L"");
}

int JourneyTest::RegistryNumber(const std::filesystem::path& file, const wchar_t* name) {
  const platform::Registry registry(file);
  return static_cast<int>(registry.QueryDword(app::kProfileKey, name).value_or(0xFFFFFFFFU));
}

void JourneyTest::Select(UiHarness& ui, int index) {
  for (int guard = 0; guard < 64 && ui.Screens().Current()->Selection() > index; ++guard) {
    ui.Press(platform::VK_UP);
  }
  for (int guard = 0; guard < 64 && ui.Screens().Current()->Selection() < index; ++guard) {
    ui.Press(platform::VK_DOWN);
  }
}

}  // namespace kestrova::test
