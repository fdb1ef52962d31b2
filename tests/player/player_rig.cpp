#include "player_rig.h"

#include <filesystem>
#include <iterator>

namespace kestrova::player::test {

PlayerRig::PlayerRig() {
  platform::Window::Options options;
  options.fullScreen = false;
  window = platform::Window::Create(loop, options, &frame);
  if (!window) return;
  view = std::make_unique<RecordingView>(loop, *window);
  player = std::make_unique<MediaPlayer>();
}

bool PlayerRig::WaitForPictures(int count) {
  const int target = player->Video().PicturesDrawn() + count;
  return WaitFor([&] { return player->Video().PicturesDrawn() >= target; });
}

int ThreadCount() {
  const std::filesystem::directory_iterator tasks("/proc/self/task");
  return static_cast<int>(std::distance(tasks, std::filesystem::directory_iterator()));
}

}  // namespace kestrova::player::test
