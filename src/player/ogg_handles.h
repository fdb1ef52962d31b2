// Owners of libogg's framing states: the sync state that splits file bytes
// into pages, and a logical stream state that gathers one serial number's
// packets.
#pragma once

#include <ogg/ogg.h>

#include <memory>

namespace kestrova::player {

class OggSync {
 public:
  OggSync() { ogg_sync_init(&state_); }
  ~OggSync() { ogg_sync_clear(&state_); }
  OggSync(const OggSync&) = delete;
  OggSync& operator=(const OggSync&) = delete;

  // Drops every buffered byte, as for a new file.
  void Reset() { ogg_sync_reset(&state_); }
  ogg_sync_state* get() { return &state_; }

 private:
  ogg_sync_state state_{};
};

// A logical stream, or none. Movable: the state lives on the heap, so the
// reader can adopt a test stream as its Theora or Vorbis stream.
class OggStream {
 public:
  OggStream() = default;
  explicit OggStream(int serial) : state_(std::make_unique<ogg_stream_state>()) {
    ogg_stream_init(state_.get(), serial);
  }
  ~OggStream() { Clear(); }
  OggStream(OggStream&& other) noexcept = default;
  OggStream& operator=(OggStream&& other) noexcept {
    if (this != &other) {
      Clear();
      state_ = std::move(other.state_);
    }
    return *this;
  }

  explicit operator bool() const { return state_ != nullptr; }
  ogg_stream_state* get() { return state_.get(); }

  // Pages of other serial numbers are refused by libogg and so ignored.
  void PageIn(ogg_page& page) {
    if (state_) ogg_stream_pagein(state_.get(), &page);
  }
  // 1 with a packet, 0 when none is complete, -1 for a gap in the data.
  int PacketOut(ogg_packet& packet) { return state_ ? ogg_stream_packetout(state_.get(), &packet) : 0; }
  int PacketPeek(ogg_packet& packet) { return state_ ? ogg_stream_packetpeek(state_.get(), &packet) : 0; }

 private:
  void Clear() {
    if (state_) ogg_stream_clear(state_.get());
    state_.reset();
  }

  std::unique_ptr<ogg_stream_state> state_;
};

}  // namespace kestrova::player
