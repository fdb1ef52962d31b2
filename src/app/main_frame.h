// The main frame: the top-level window, full screen on a handheld, with no
// menu or title of its own; its creation loads the skin archive and the
// language files. Closing it ends the program.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/messages.h"
#include "platform/ui_loop.h"
#include "platform/window.h"

namespace kestrova::app {

class CKestrovaDoc;
class CKestrovaView;

class CMainFrame final : public platform::MessageTarget {
 public:
  CMainFrame(platform::UiLoop& loop, CKestrovaDoc& document, std::filesystem::path programDirectory,
             platform::Window::Options windowOptions);
  ~CMainFrame();
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // Creates the window and the view inside it, goes full screen where the
  // display is small, loads "data.dat" and the language files (current
  // language 2) and resets the input panel. 0 on success, -1 on failure.
  int OnCreate();
  void OnActivate(platform::WPARAM state);
  // Closes the window: the view and the window go, and the loop ends with 0.
  void OnClose();

  void ShowWindow();
  platform::LRESULT WindowProc(std::uint32_t message, platform::WPARAM wParam, platform::LPARAM lParam) override;

  platform::Window* GetWindow() const { return window_.get(); }
  CKestrovaView* View() const { return view_.get(); }

 private:
  platform::UiLoop& loop_;
  CKestrovaDoc& document_;
  std::filesystem::path programDirectory_;
  platform::Window::Options windowOptions_;
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<CKestrovaView> view_;  // destroyed before the window
};

}  // namespace kestrova::app
