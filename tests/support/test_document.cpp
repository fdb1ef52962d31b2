#include "support/test_document.h"

#include <cstdlib>
#include <stdexcept>

#include "resources/string_table.h"

#ifndef KESTROVA_SOURCE_DATA_DIR
#define KESTROVA_SOURCE_DATA_DIR "data"
#endif

namespace kestrova::test {

TestDocument::TestDocument(const std::wstring& apiBaseUrl) {
  registry_ = std::make_unique<platform::Registry>(dir_ / "registry.reg");
  registry_->SetDword(app::kDistributionKey, L"AffiliateID", kAffiliateId);
  registry_->SetDword(app::kDistributionKey, L"iFriendID", kFriendId);
  registry_->SetDword(app::kDistributionKey, L"iAgregatorID", kAgregatorId);
  registry_->SetDword(app::kDistributionKey, L"iLinkID", 0);
  document_ = std::make_unique<app::CKestrovaDoc>(*registry_, loop_, app::ApiBaseUrls{apiBaseUrl, apiBaseUrl, {}});
  document_->Network().clock = &clock_;
  document_->Network().monotonic = &monotonic_;
  if (!resources::Strings().Load(KESTROVA_SOURCE_DATA_DIR)) throw std::runtime_error("language files missing");
  resources::Strings().SetLanguage(resources::kLanguageEnglish);
}

TestDocument::~TestDocument() = default;

ScopedTempDirectory::ScopedTempDirectory() {
  if (const char* previous = std::getenv("TMPDIR")) {
    previous_ = previous;
    hadPrevious_ = true;
  }
  ::setenv("TMPDIR", dir_.Path().c_str(), 1);
}

ScopedTempDirectory::~ScopedTempDirectory() {
  if (hadPrevious_) ::setenv("TMPDIR", previous_.c_str(), 1);
  else ::unsetenv("TMPDIR");
}

std::size_t ScopedTempDirectory::FileCount() const {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.Path())) ++count;
  return count;
}

}  // namespace kestrova::test
