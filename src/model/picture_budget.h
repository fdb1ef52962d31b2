// One memory budget for the decoded pictures held for the catalogue, counted
// in decoded bytes; the channel logos are kept within it (the few preview
// pictures of the details screen are bounded on their own). When a new
// picture would not fit, the pictures shown least recently make room; a
// picture drawn in the latest frame is on screen and never makes room. The
// budget only counts: the holder of the pictures drops the ones it names
// (their records keep what is needed to fetch them again).
//
// Threads: the budget lives with the records in the data state and follows
// their rule. Admit, Forget and Clear run on the thread that may write the
// records (the user-interface thread between commands, a command's worker
// during its turn while the waiting indicator hides the screens); StartFrame
// and Touch run on the user-interface thread while it draws. No lock of its
// own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <vector>

namespace kestrova::model {

inline constexpr std::size_t kPictureBudgetBytes = std::size_t{16} * 1024 * 1024;

// Names one picture: the address of the record that holds it and its number
// there. Compared, never followed, so a key may outlive its record.
struct PictureKey {
  std::uintptr_t holder = 0;
  int index = 0;

  static PictureKey Of(const void* holder, int index = 0) {
    return {reinterpret_cast<std::uintptr_t>(holder), index};
  }
  auto operator<=>(const PictureKey&) const = default;
};

class PictureBudget {
 public:
  explicit PictureBudget(std::size_t limit = kPictureBudgetBytes) : limit_(limit) {}
  PictureBudget(const PictureBudget&) = delete;
  PictureBudget& operator=(const PictureBudget&) = delete;

  // Counts a picture of `bytes` under `key` (replacing what the key had) as
  // the most recent one. Pictures not on screen make room for it, least
  // recently shown first; their keys are appended to `victims` and no
  // longer counted, and the caller drops them. False, with nothing counted
  // and nobody dropped, when the picture cannot fit beside the pictures on
  // screen.
  [[nodiscard]] bool Admit(PictureKey key, std::size_t bytes, std::vector<PictureKey>& victims);
  // The picture is drawn in the current frame: on screen, and most recent.
  void Touch(PictureKey key);
  // A new frame is drawn: only what it touches is on screen from now on.
  void StartFrame() { ++frame_; }
  // The picture is gone (dropped or its record freed).
  void Forget(PictureKey key);
  void Clear();

  std::size_t Held() const { return held_; }
  std::size_t Limit() const { return limit_; }
  bool Holds(PictureKey key) const { return entries_.contains(key); }

 private:
  struct Entry {
    PictureKey key;
    std::size_t bytes = 0;
    std::uint64_t shownFrame = 0;  // the frame that last drew it; 0: none
  };
  using Order = std::list<Entry>;

  std::size_t limit_;
  std::size_t held_ = 0;
  std::uint64_t frame_ = 1;
  Order order_;  // least recently shown first
  std::map<PictureKey, Order::iterator> entries_;
};

}  // namespace kestrova::model
