#include "app/kestrova_app.h"

#include <cstdio>

#include "app/kestrova_view.h"
#include "platform/program_dir.h"
#include "platform/sdl_handles.h"

namespace kestrova::app {

CKestrovaApp::CKestrovaApp(Options options) : options_(std::move(options)) {}

CKestrovaApp::~CKestrovaApp() {
  // Reverse order of creation; SDL goes last.
  frame_.reset();
  document_.reset();
  registry_.reset();
  loop_.reset();
  sdl_.reset();
}

CKestrovaApp::Options CKestrovaApp::DefaultOptions() {
  Options options;
  options.registryFile = platform::Registry::DefaultPath();
  options.programDirectory = platform::ProgramDataDirectory();
  return options;
}

bool CKestrovaApp::InitInstance() {
  sdl_ = std::make_unique<platform::SdlLibrary>(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER);
  if (!sdl_->Ok()) {
    std::fprintf(stderr, "Kestrova: cannot start the display: %s\n", SDL_GetError());
    return false;
  }
  loop_ = std::make_unique<platform::UiLoop>();
  registry_ = std::make_unique<platform::Registry>(options_.registryFile);

  document_ = std::make_unique<CKestrovaDoc>(*registry_, *loop_, options_.apiUrls.value_or(ApiBaseUrls::FromBuild()));
  frame_ = std::make_unique<CMainFrame>(*loop_, *document_, options_.programDirectory, options_.window);
  if (frame_->OnCreate() != 0) {
    std::fprintf(stderr, "Kestrova: cannot create the window: %s\n", SDL_GetError());
    return false;
  }
  frame_->View()->OnInitialUpdate();

  // A settings failure has already asked to quit: the window is not shown.
  if (!loop_->QuitRequested()) frame_->ShowWindow();
  return true;
}

int CKestrovaApp::Run() {
  if (!InitInstance()) return 1;
  return loop_->Run();
}

}  // namespace kestrova::app
