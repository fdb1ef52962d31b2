// What the screens may ask of the document: its data state, to read what
// the answers filled in and to keep the user's choices; numbered network
// commands; saving the settings; and the end of the session. The document
// type itself stays out of sight of the screens.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "model/data_state.h"
#include "model/record_keys.h"
#include "platform/argb_image.h"
#include "platform/status.h"

namespace kestrova::ui {

class Screen;

// Where a picture download (a preview, command 33, or a logo fetched
// again, command 35) leaves its picture: the
// worker fills `picture` and then sets `done`; the screen takes the picture
// on its own thread once `done` is set, so the two never touch it at once.
struct PreviewDelivery {
  std::atomic<bool> done{false};
  platform::ArgbImage picture;
};

// The values a command takes from the screen that submits it: plain values
// and keys (model/record_keys.h), never pointers into the data state, whose
// records a reload may free before the worker runs. The screen fills in what
// its command needs when it submits; the worker works on its own copy, so a
// later submission cannot change a running command, and finds the records
// of the keys when it runs (a record that is gone fails the command).
struct CommandParameters {
  std::wstring login;         // 1, 3
  std::wstring password;      // 1, 3
  int index = -1;             // 12 short number, 13 opened entry, 24 help theme, 35 logo size
  model::ChannelKey channel;  // 14, 15
  int channelId = 0;          // 25 the channel to stream, 30, 31
  std::int64_t date = 0;      // 15 from the day choice
  model::BlockKey block;      // 16
  model::ElementKey folder;   // 17 from the video catalogue
  bool folderShown = false;   // 17: the folder is the one already shown (next page)
  model::ElementKey video;    // 18, 19
  int videoId = 0;            // 32
  int buyType = 0;            // 19
  std::wstring email;         // 22
  std::wstring phone;         // 22
  std::wstring text;          // 22 feedback text, 28 gift code, 33 and 35 picture URL
  std::shared_ptr<PreviewDelivery> preview;  // 33, 35: receives the picture
};

class ScreenDocument {
 public:
  virtual model::DataState& Data() = 0;
  // Starts command `command` on a worker thread for `requester` and returns
  // at once. With `waiter` the view shows the waiting indicator meanwhile.
  // The result reaches the requester's OnRequestDone only while it is the
  // current screen.
  virtual void SubmitRequest(int command, Screen& requester, bool waiter, CommandParameters parameters) = 0;
  // The current time corrected by the server's time gap, in seconds.
  virtual std::int64_t ServerNow() const = 0;
  // Writes the settings fields to the registry; a failure (logged, with its
  // reason) leaves them pending for the next save.
  virtual platform::Status SaveSettings() = 0;
  // Ends the program in order: cancels and waits for the workers, stops the
  // player, saves the settings and closes the window.
  virtual void ShutdownSession() = 0;

 protected:
  ScreenDocument() = default;
  ScreenDocument(const ScreenDocument&) = default;
  ScreenDocument& operator=(const ScreenDocument&) = default;
  ~ScreenDocument() = default;
};

}  // namespace kestrova::ui
