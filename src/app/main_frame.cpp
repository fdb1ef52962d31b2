#include "app/main_frame.h"

#include <cstdio>

#include "app/kestrova_doc.h"
#include "app/kestrova_view.h"
#include "resources/skin_archive.h"
#include "resources/string_table.h"

namespace kestrova::app {

CMainFrame::CMainFrame(platform::UiLoop& loop, CKestrovaDoc& document, std::filesystem::path programDirectory,
                       platform::Window::Options windowOptions)
    : loop_(loop),
      document_(document),
      programDirectory_(std::move(programDirectory)),
      windowOptions_(std::move(windowOptions)) {}

CMainFrame::~CMainFrame() {
  view_.reset();
  window_.reset();
  loop_.ForgetTarget(this);
}

int CMainFrame::OnCreate() {
  window_ = platform::Window::Create(loop_, windowOptions_, this);
  if (!window_) return -1;
  view_ = std::make_unique<CKestrovaView>(loop_, *window_, document_);
  document_.SetFrame(this);

  window_->BringToFront();

  // A missing archive leaves every skin image undrawn and a missing language
  // file its texts empty; the program still runs, and the log says why.
  if (const platform::Status skins = resources::Skins().Load(programDirectory_ / "data.dat"); !skins) {
    std::fprintf(stderr, "Kestrova: skin images: %s\n", skins.Reason().c_str());
  }
  if (const platform::Status strings = resources::Strings().Load(programDirectory_); !strings) {
    std::fprintf(stderr, "Kestrova: language files: %s\n", strings.Reason().c_str());
  }
  resources::Strings().SetLanguage(resources::kLanguageRussian);

  // Waveform output starts at full volume: the audio output's software gain
  // begins at its maximum, so nothing is set here.

  view_->ResetInputPanel();
  return 0;
}

void CMainFrame::OnActivate(platform::WPARAM) {
  // Losing activation matters only while a channel plays on the player
  // screen; the player and its screen hook in here when they exist.
}

void CMainFrame::OnClose() {
  // However the window is closed, the session ends in order and the
  // settings are saved.
  document_.EndSession();
  view_.reset();
  window_.reset();
  loop_.PostQuit(0);
}

void CMainFrame::ShowWindow() {
  if (!window_) return;
  window_->Show();
  window_->Update();
}

platform::LRESULT CMainFrame::WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) {
  switch (message) {
    case platform::WM_CLOSE:
      OnClose();
      return 0;
    case platform::WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case platform::WM_SIZE:
      // The view re-applies the input panel's state.
      if (view_) view_->WindowProc(message, wParam, lParam);
      return 0;
    default:
      return 0;
  }
}

}  // namespace kestrova::app
