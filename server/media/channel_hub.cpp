#include "media/channel_hub.h"

namespace kestrova::server::media {

ChannelHub::ChannelHub(const Catalogue& catalogue) {
  for (const Channel& channel : catalogue.channels) {
    if (channel.source.empty()) continue;
    pipelines_.emplace(channel.id, std::make_unique<ChannelPipeline>(ChannelSource{
                                       channel.id, channel.name.In(Language::kEnglish), channel.source}));
  }
}

ChannelHub::~ChannelHub() {
  for (auto& [id, pipeline] : pipelines_) pipeline->RequestStop();
  pipelines_.clear();
}

ChannelPipeline* ChannelHub::For(int channel) {
  const auto it = pipelines_.find(channel);
  return it == pipelines_.end() ? nullptr : it->second.get();
}

}  // namespace kestrova::server::media
