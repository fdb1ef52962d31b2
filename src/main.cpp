// Kestrova: the mobile-TV client.
#include <cstdio>

#include "app/kestrova_app.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::fprintf(stderr, "usage: %s\nKestrova takes no arguments; its settings live in the registry file.\n", argv[0]);
    return 2;
  }
  kestrova::app::CKestrovaApp app(kestrova::app::CKestrovaApp::DefaultOptions());
  return app.Run();
}
