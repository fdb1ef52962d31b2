// The application object: brings up SDL, the registry, the document (which
// loads the settings), the frame (skin archive, language files) and the view,
// runs the message loop, and takes everything down again in reverse order.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>

#include "app/kestrova_doc.h"
#include "app/main_frame.h"
#include "platform/registry.h"
#include "platform/ui_loop.h"
#include "platform/window.h"

namespace kestrova::platform {
class SdlLibrary;
}

namespace kestrova::app {

class CKestrovaApp {
 public:
  struct Options {
    std::filesystem::path registryFile;      // default: the user's registry file
    std::filesystem::path programDirectory;  // default: where data.dat lies
    platform::Window::Options window;
    std::optional<ApiBaseUrls> apiUrls;      // default: the build's URLs
  };

  explicit CKestrovaApp(Options options);
  ~CKestrovaApp();
  CKestrovaApp(const CKestrovaApp&) = delete;
  CKestrovaApp& operator=(const CKestrovaApp&) = delete;

  static Options DefaultOptions();

  // Start-up up to the first paint; false when the program cannot run.
  bool InitInstance();
  // InitInstance, the message loop, and the exit code.
  int Run();

  platform::UiLoop* Loop() const { return loop_.get(); }
  CKestrovaDoc* Document() const { return document_.get(); }
  CMainFrame* Frame() const { return frame_.get(); }

 private:
  Options options_;
  std::unique_ptr<platform::SdlLibrary> sdl_;
  std::unique_ptr<platform::UiLoop> loop_;
  std::unique_ptr<platform::Registry> registry_;
  std::unique_ptr<CKestrovaDoc> document_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace kestrova::app
