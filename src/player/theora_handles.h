// Owners of libtheora's decoder records: the info and comment records that a
// segment's headers fill, the setup record that the setup header builds, and
// a decoder together with the picture geometry it was made for.
#pragma once

#include <theora/theoradec.h>

#include <memory>

namespace kestrova::player {

class TheoraInfo {
 public:
  TheoraInfo() { th_info_init(&info_); }
  ~TheoraInfo() { th_info_clear(&info_); }
  TheoraInfo(const TheoraInfo&) = delete;
  TheoraInfo& operator=(const TheoraInfo&) = delete;

  void Reset() {
    th_info_clear(&info_);
    th_info_init(&info_);
  }
  th_info* get() { return &info_; }
  const th_info& operator*() const { return info_; }

 private:
  th_info info_{};
};

class TheoraComment {
 public:
  TheoraComment() { th_comment_init(&comment_); }
  ~TheoraComment() { th_comment_clear(&comment_); }
  TheoraComment(const TheoraComment&) = delete;
  TheoraComment& operator=(const TheoraComment&) = delete;

  void Reset() {
    th_comment_clear(&comment_);
    th_comment_init(&comment_);
  }
  th_comment* get() { return &comment_; }

 private:
  th_comment comment_{};
};

class TheoraSetup {
 public:
  TheoraSetup() = default;
  ~TheoraSetup() { Free(); }
  TheoraSetup(const TheoraSetup&) = delete;
  TheoraSetup& operator=(const TheoraSetup&) = delete;

  void Free() {
    th_setup_free(setup_);
    setup_ = nullptr;
  }
  bool Held() const { return setup_ != nullptr; }
  th_setup_info* get() const { return setup_; }
  // The slot th_decode_headerin fills when it reads a setup header.
  th_setup_info** Slot() { return &setup_; }

 private:
  th_setup_info* setup_ = nullptr;
};

struct TheoraDecoderDeleter {
  void operator()(th_dec_ctx* decoder) const { th_decode_free(decoder); }
};

// A decoder and the info it was made for: its pictures are cropped to that
// info's picture region, whatever segment is being read meanwhile.
struct TheoraDecoder {
  std::unique_ptr<th_dec_ctx, TheoraDecoderDeleter> context;
  th_info format{};
};

}  // namespace kestrova::player
