// The pipelines of every channel that has a source, made when the server
// starts and run while anybody watches. Destroying the hub stops every
// pipeline at once, then waits for each. FFmpeg's log goes to ours while the
// hub lives.
#pragma once

#include <map>
#include <memory>

#include "catalogue.h"
#include "media/channel_pipeline.h"
#include "media/ffmpeg_log.h"

namespace kestrova::server::media {

class ChannelHub {
 public:
  explicit ChannelHub(const Catalogue& catalogue);
  ~ChannelHub();
  ChannelHub(const ChannelHub&) = delete;
  ChannelHub& operator=(const ChannelHub&) = delete;

  // The channel's pipeline; null for a channel without a source.
  ChannelPipeline* For(int channel);

 private:
  FfmpegLog log_;
  std::map<int, std::unique_ptr<ChannelPipeline>> pipelines_;  // by channel id; fixed after construction
};

}  // namespace kestrova::server::media
