#include "app/view_media_player.h"

#include "app/kestrova_view.h"
#include "app/view_events.h"
#include "model/command_ids.h"

namespace kestrova::app {

ViewMediaPlayer::ViewMediaPlayer(CKestrovaView& view) : view_(view) {}

std::shared_ptr<ui::ViewPlayer> ViewMediaPlayer::Create(CKestrovaView& view) {
  auto made = std::make_shared<ViewMediaPlayer>(view);
  if (!made->player_.AttachView(*made)) {
    made->Close();
    return nullptr;
  }
  return made;
}

// Addressed to the view's window: a notice still waiting when the view goes
// is dropped with it.
void ViewMediaPlayer::Notify(int command, std::wstring programme, bool ok) {
  SendTo(view_.Loop(), &view_, view_, PlayerNotice{this, command, std::move(programme), ok});
}

void ViewMediaPlayer::SegmentOpened(const std::wstring& programme) { Notify(model::kCommandSegmentOpened, programme); }

void ViewMediaPlayer::SegmentFinished() { Notify(model::kCommandSegmentFinished, {}); }

void ViewMediaPlayer::SegmentChecked(bool plays) { Notify(model::kNoticeSegmentChecked, {}, plays); }

platform::UiLoop& ViewMediaPlayer::Loop() { return view_.Loop(); }

platform::Window& ViewMediaPlayer::VideoWindow() { return view_.GetWindow(); }

void ViewMediaPlayer::RequestInterfacePaint() {
  PostTo(view_.Loop(), &view_, view_, PlayerInterfaceWanted{this});
}

void ViewMediaPlayer::ReportInternalError() { PostTo(view_.Loop(), &view_, view_, PlayerFailed{}); }

}  // namespace kestrova::app
