// kestrova-install: writes the distribution values that Kestrova needs into
// the user's registry file. It never touches the profile section.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/settings_store.h"
#include "platform/registry.h"

namespace {

void Usage(const char* program) {
  std::printf(
      "usage: %s [--affiliate N] [--friend N] [--agregator N] [--link N] [--registry FILE] [--if-missing]\n"
      "Writes Kestrova's distribution values (defaults: affiliate 2, friend 0,\n"
      "agregator 0, link 0; link 1 selects the alternate API server) into the\n"
      "registry file (default: $KESTROVA_REGISTRY, else\n"
      "$XDG_CONFIG_HOME/kestrova/registry.reg).\n"
      "With --if-missing it writes nothing when all four values are already\n"
      "there (the desktop entry runs it so before every start).\n",
      program);
}

bool ParseInt32(const char* text, std::int32_t& out) {
  errno = 0;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return false;
  out = static_cast<std::int32_t>(value);
  return true;
}

// True when the registry already holds all four distribution values (the
// subscriber's own, or those of an earlier install, are kept as they are).
bool HasDistributionValues(const kestrova::platform::Registry& registry) {
  using kestrova::app::kDistributionKey;
  for (const wchar_t* name : {L"AffiliateID", L"iFriendID", L"iAgregatorID", L"iLinkID"}) {
    if (!registry.QueryDword(kDistributionKey, name)) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::int32_t affiliate = 2;
  std::int32_t friendId = 0;
  std::int32_t agregator = 0;
  std::int32_t link = 0;
  std::string registryFile = kestrova::platform::Registry::DefaultPath().string();
  bool onlyIfMissing = false;

  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      Usage(argv[0]);
      return 0;
    }
    if (option == "--if-missing") {
      onlyIfMissing = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%s: %s needs a value\n", argv[0], option.c_str());
      return 2;
    }
    const char* value = argv[++i];
    bool ok = true;
    if (option == "--affiliate") ok = ParseInt32(value, affiliate);
    else if (option == "--friend") ok = ParseInt32(value, friendId);
    else if (option == "--agregator" || option == "--aggregator") ok = ParseInt32(value, agregator);
    else if (option == "--link") ok = ParseInt32(value, link);
    else if (option == "--registry") registryFile = value;
    else {
      std::fprintf(stderr, "%s: unknown option %s\n", argv[0], option.c_str());
      Usage(argv[0]);
      return 2;
    }
    if (!ok) {
      std::fprintf(stderr, "%s: %s wants a whole number, not \"%s\"\n", argv[0], option.c_str(), value);
      return 2;
    }
  }

  using kestrova::app::kDistributionKey;
  kestrova::platform::Registry registry(registryFile);
  if (onlyIfMissing && HasDistributionValues(registry)) return 0;
  registry.SetDword(kDistributionKey, L"AffiliateID", static_cast<std::uint32_t>(affiliate));
  registry.SetDword(kDistributionKey, L"iFriendID", static_cast<std::uint32_t>(friendId));
  registry.SetDword(kDistributionKey, L"iAgregatorID", static_cast<std::uint32_t>(agregator));
  registry.SetDword(kDistributionKey, L"iLinkID", static_cast<std::uint32_t>(link));
  if (const kestrova::platform::Status written = registry.Flush(); !written) {
    std::fprintf(stderr, "%s: %s\n", argv[0], written.Reason().c_str());
    return 1;
  }
  std::printf("Kestrova distribution values written to %s\n", registryFile.c_str());
  return 0;
}
