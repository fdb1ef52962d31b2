// The media player as the view holds it: a MediaPlayer attached to the view,
// seen by the view and the player screen as a ui::ViewPlayer. It hands the
// player's notifications to the view on the user-interface thread, sent
// synchronously as the player makes them (on the player's threads),
// together with its own identity, so that the view can ignore a player that
// is no longer its current one.
#pragma once

#include <memory>
#include <string>

#include "player/media_player.h"
#include "player/player_view.h"
#include "ui/view_player.h"

namespace kestrova::app {

class CKestrovaView;

// What the player hands to the view (CKestrovaView::Take), each naming the
// player it comes from; compared, never followed, since it may be gone.
// Sent: a segment's notification or verdict.
struct PlayerNotice {
  const ui::ViewPlayer* player = nullptr;
  int command = 0;         // 26 segment finished, 27 segment opened, or model::kNoticeSegmentChecked
  std::wstring programme;  // 27: the programme name
  bool ok = true;          // kNoticeSegmentChecked: the segment plays
};
// Posted: the player wants the interface around its picture.
struct PlayerInterfaceWanted {
  const ui::ViewPlayer* player = nullptr;
};
// Posted: a picture could not be drawn.
struct PlayerFailed {};

class ViewMediaPlayer final : public ui::ViewPlayer, private player::PlayerView {
 public:
  explicit ViewMediaPlayer(CKestrovaView& view);

  // The player attached to the view, or null when its video surface could
  // not be made.
  static std::shared_ptr<ui::ViewPlayer> Create(CKestrovaView& view);

  bool IsPlaying() const override { return player_.IsPlaying(); }
  bool IsFullScreen() const override { return player_.IsFullScreen(); }
  bool PausedForLostSurface() override { return player_.PausedForLostSurface(); }
  void RecreateVideoAndResume() override { player_.RecreateVideoAndResume(); }
  void Close() override { player_.Close(); }
  void Play() override { player_.Play(); }
  void Stop() override { player_.Stop(); }
  void SetVolume(int level) override { player_.SetVolume(level); }
  void SetFullScreen(bool fullScreen) override { player_.SetFullScreen(fullScreen); }
  bool PlaysWithoutSound() const override { return player_.PlaysWithoutSound(); }
  std::size_t QueuedSegments() const override { return player_.QueuedSegments(); }
  [[nodiscard]] bool QueueSegment(const std::filesystem::path& file, const std::wstring& programme) override {
    return player_.QueueSegment(file, programme);
  }
  void PaintInterface(const platform::Bitmap& interface) override { player_.PaintInterface(interface); }

  player::MediaPlayer& Engine() { return player_; }

 private:
  // player::PlayerView, called on the player's threads.
  void SegmentOpened(const std::wstring& programme) override;
  void SegmentFinished() override;
  void SegmentChecked(bool plays) override;
  platform::UiLoop& Loop() override;
  platform::Window& VideoWindow() override;
  void RequestInterfacePaint() override;
  void ReportInternalError() override;
  void Notify(int command, std::wstring programme, bool ok = true);

  CKestrovaView& view_;
  player::MediaPlayer player_;  // last: it stops before the rest goes
};

}  // namespace kestrova::app
