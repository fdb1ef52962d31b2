// The single document: the data state (settings, session values, lists and
// trees), the network context of the session (cancel flag, kept connection,
// limits, clock, time gap), the network workers with their busy counter,
// and the orderly end of the session. Constructing it loads the settings.
#pragma once

#include <atomic>

#include "app/network_worker.h"
#include "app/settings_store.h"
#include "app/view_events.h"
#include "model/data_state.h"
#include "net/api_context.h"
#include "net/network_context.h"
#include "net/segment_sink.h"
#include "platform/registry.h"
#include "platform/ui_loop.h"
#include "ui/screen_document.h"

namespace kestrova::app {

class CKestrovaView;

class CKestrovaDoc final : public model::DataState, public ui::ScreenDocument {
 public:
  // Loads the settings; when a distribution value is missing it shows the
  // reinstall message and posts the quit request with exit code -1, and
  // construction completes all the same.
  CKestrovaDoc(platform::Registry& registry, platform::UiLoop& loop, ApiBaseUrls urls);
  // Cancels the session and waits for every worker.
  ~CKestrovaDoc();
  CKestrovaDoc(const CKestrovaDoc&) = delete;
  CKestrovaDoc& operator=(const CKestrovaDoc&) = delete;

  void LoadSettings();
  platform::Status SaveSettings() override;

  // The view that receives the workers' messages; set by its initial update
  // and cleared when it goes, both on the user-interface thread.
  void SetView(CKestrovaView* view) { view_ = view; }
  CKestrovaView* View() const { return view_; }
  // Where the stream set-up hands live segments: the view's player, which
  // the view registers (and clears with nullptr) on the user-interface
  // thread. Without one a segment is deleted and the set-up still succeeds.
  // The view outlives every worker, so a sink a worker has just read stays
  // valid for its call.
  void SetSegmentSink(net::SegmentSink* sink) { segments_.SetTarget(sink); }
  // The frame window that the end of the session closes.
  void SetFrame(platform::MessageTarget* frame) { frame_ = frame; }

  model::DataState& Data() override { return *this; }
  std::int64_t ServerNow() const override { return network_.ServerNow(); }
  net::NetworkContext& Network() { return network_; }
  // The handle the endpoints run with.
  net::ApiContext Api() { return {*this, network_}; }

  void SubmitRequest(int command, ui::Screen& requester, bool waiter, ui::CommandParameters parameters) override;
  void ShutdownSession() override;
  // The part of the end that also runs when the window is closed from
  // outside (the desktop's close button, a signal): cancel, wait for the
  // workers, close the kept connection, delete the player, save the
  // settings. Runs once; later calls do nothing.
  void EndSession();
  // Workers started and not yet finished.
  int BusyCount() const { return busy_.load(); }
  // True when no worker thread runs any more (none still delivers).
  bool WorkersFinished() { return busy_.load() == 0 && workers_.AllFinished(); }

 private:
  // The workers hand over to the relay rather than to the view itself: it
  // lives as long as the document (longer than every worker) and, on the
  // user-interface thread, passes each event on to the view while there is
  // one. Without a view the event's value is dropped (a result is freed).
  class ViewRelay final : public NetEvents {
   public:
    explicit ViewRelay(CKestrovaDoc& document) : document_(document) {}
    void Take(NetBusy busy) override;
    void Take(NetResult result) override;
    void Take(NetDone done) override;

   private:
    template <class Event>
    void PassOn(Event event);
    CKestrovaDoc& document_;
  };

  // The sink the workers call: forwards to the registered one. No lock is
  // held across the call, since the player's QueueSegment may send to the
  // user-interface thread and wait.
  class SegmentRelay final : public net::SegmentSink {
   public:
    void SetTarget(net::SegmentSink* target) { target_.store(target); }
    [[nodiscard]] bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override {
      net::SegmentSink* target = target_.load();
      return target != nullptr && target->QueueSegment(file, programme);
    }

   private:
    std::atomic<net::SegmentSink*> target_{nullptr};
  };

  // Until no worker is left: handles the messages the workers send, so none
  // stays blocked, and drops everything else that waits in the queue.
  void WaitForWorkers();

  platform::Registry& registry_;
  platform::UiLoop& loop_;
  ApiBaseUrls urls_;
  net::NetworkContext network_;
  CKestrovaView* view_ = nullptr;
  platform::MessageTarget* frame_ = nullptr;
  ViewRelay relay_{*this};
  SegmentRelay segments_;
  std::atomic<int> busy_{0};
  DataTurns dataTurns_;
  StreamSetupState streamSetup_;
  bool sessionEnded_ = false;
  // Last member: its threads end before anything they use goes.
  WorkerThreads workers_;
};

}  // namespace kestrova::app
