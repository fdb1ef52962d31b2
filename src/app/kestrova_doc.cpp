#include "app/kestrova_doc.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "app/kestrova_view.h"
#include "app/network_commands.h"
#include "net/http_transport.h"
#include "platform/message_box.h"
#include "ui/screen.h"

namespace kestrova::app {

namespace {
// How often the end of the session looks whether the workers have finished.
constexpr std::chrono::milliseconds kWorkerPoll{20};
}  // namespace

CKestrovaDoc::CKestrovaDoc(platform::Registry& registry, platform::UiLoop& loop, ApiBaseUrls urls)
    : registry_(registry), loop_(loop), urls_(std::move(urls)) {
  LoadSettings();
}

CKestrovaDoc::~CKestrovaDoc() {
  network_.cancel = 1;
  view_ = nullptr;
  WaitForWorkers();
  workers_.JoinAll();
}

void CKestrovaDoc::LoadSettings() {
  // Copies of the file that a save killed half-way left behind hold the
  // password; nothing else ever removes them.
  registry_.RemoveStaleCopies();
  if (!ReadSettings(registry_, urls_, settings)) {
    platform::ShowMessageBox("Kestrova", kSettingsFailureMessage);
    loop_.PostQuit(-1);
  }
}

platform::Status CKestrovaDoc::SaveSettings() {
  // On failure the values stay pending in the registry object and go out
  // with the next successful save; the screen that asked tells the user.
  platform::Status saved = WriteSettings(registry_, settings);
  if (!saved) std::fprintf(stderr, "Kestrova: the settings could not be saved: %s\n", saved.Reason().c_str());
  return saved;
}

void CKestrovaDoc::SubmitRequest(int command, ui::Screen& requester, bool waiter, ui::CommandParameters parameters) {
  NetworkTask task;
  task.command = command;
  task.screen = &requester;
  task.screenKind = requester.Id();
  task.waiter = waiter;
  task.submittedAt = static_cast<std::int64_t>(network_.clock->Now());
  task.parameters = std::move(parameters);
  if (UsesDataState(command)) task.dataTurn = dataTurns_.Take();
  busy_.fetch_add(1);
  WorkerHost host{loop_, relay_, Api(), busy_, segments_, dataTurns_};
  if (command == model::kCommandStreamSetup) {
    workers_.Start([host, task = std::move(task), this]() mutable {
      StreamSetupWorker(host, streamSetup_, std::move(task));
    });
  } else {
    workers_.Start([host, task = std::move(task)]() mutable { NetworkWorker(host, std::move(task)); });
  }
}

void CKestrovaDoc::WaitForWorkers() {
  // Until every worker thread has ended, not only the busy count: a worker
  // still sends its result and end notice after counting itself finished.
  while (busy_.load() > 0 || !workers_.AllFinished()) {
    std::this_thread::sleep_for(kWorkerPoll);
    loop_.DrainWithoutDispatch();
  }
}

void CKestrovaDoc::EndSession() {
  if (sessionEnded_) return;
  sessionEnded_ = true;
  network_.cancel = 1;
  WaitForWorkers();
  net::CloseKeptConnection(network_);
  if (view_ != nullptr) view_->DeletePlayer();
  // At the end nobody is left to see a pop-up: a failure is only logged.
  static_cast<void>(SaveSettings());
}

void CKestrovaDoc::ShutdownSession() {
  EndSession();
  FreeDataLists();
  if (frame_ != nullptr) loop_.Post(frame_, platform::WM_CLOSE, 0, 0);
}

template <class Event>
void CKestrovaDoc::ViewRelay::PassOn(Event event) {
  if (CKestrovaView* view = document_.view_) view->Take(std::move(event));
}

void CKestrovaDoc::ViewRelay::Take(NetBusy busy) { PassOn(std::move(busy)); }

void CKestrovaDoc::ViewRelay::Take(NetResult result) { PassOn(std::move(result)); }

void CKestrovaDoc::ViewRelay::Take(NetDone done) { PassOn(done); }

}  // namespace kestrova::app
