#include "app/view_media_player.h"

#include "app/kestrova_view.h"
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

void ViewMediaPlayer::Notify(int command, std::wstring programme, bool ok) {
  PlayerNotice notice{this, command, std::move(programme), ok};
  view_.Loop().Send(&view_, WM_PLAYER_NOTICE, 0, reinterpret_cast<platform::LPARAM>(&notice));
}

void ViewMediaPlayer::SegmentOpened(const std::wstring& programme) { Notify(model::kCommandSegmentOpened, programme); }

void ViewMediaPlayer::SegmentFinished() { Notify(model::kCommandSegmentFinished, {}); }

void ViewMediaPlayer::SegmentChecked(bool plays) { Notify(model::kNoticeSegmentChecked, {}, plays); }

platform::UiLoop& ViewMediaPlayer::Loop() { return view_.Loop(); }

platform::Window& ViewMediaPlayer::VideoWindow() { return view_.GetWindow(); }

void ViewMediaPlayer::RequestInterfacePaint() {
  view_.Loop().Post(&view_, WM_PLAYER_INTERFACE, 0,
                    reinterpret_cast<platform::LPARAM>(static_cast<const ui::ViewPlayer*>(this)));
}

void ViewMediaPlayer::ReportInternalError() { view_.Loop().Post(&view_, WM_PLAYER_ERROR, 0, 0); }

}  // namespace kestrova::app
