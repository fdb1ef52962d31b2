#include "app/network_commands.h"

#include <functional>
#include <initializer_list>
#include <utility>

#include "billing/billing_endpoints.h"
#include "billing/payment_chains.h"
#include "model/record_keys.h"
#include "net/account_endpoints.h"
#include "net/catalogue_endpoints.h"
#include "net/endpoint.h"
#include "net/message_endpoints.h"
#include "net/picture_download.h"
#include "net/programme_endpoints.h"
#include "net/setup_endpoints.h"
#include "net/version_endpoint.h"
#include "net/video_endpoints.h"
#include "ui/screen_ids.h"

namespace kestrova::app {
namespace {

using Step = std::function<model::RequestResultPtr()>;
using model::RequestResultPtr;

bool Succeeded(const RequestResultPtr& result) { return result && result->ok; }

// Runs the steps until one gives no result or a failed one; returns the
// last result obtained.
RequestResultPtr RunChain(std::initializer_list<Step> steps) {
  RequestResultPtr last;
  for (const Step& step : steps) {
    last = step();
    if (!Succeeded(last)) break;
  }
  return last;
}

// The root video folder loses its children and counters and is loaded
// again, with the favourites folder made as its first child.
RequestResultPtr ReloadVideoRoot(const net::ApiContext& api) {
  model::ProgrammeElement& root = *api.data.videoRoot;
  root.children.clear();
  root.total = 0;
  root.nextPage = 1;
  return net::Videos(api, root, 1, net::kMakeFavouritesChild);
}

// A step whose success is followed by the balance; when the balance also
// succeeds, its result carries the first step's message.
RequestResultPtr ThenBalance(const net::ApiContext& api, RequestResultPtr first) {
  if (!Succeeded(first)) return first;
  RequestResultPtr balance = billing::Bill(api);
  if (Succeeded(balance)) balance->message = first->message;
  return balance;
}

RequestResultPtr LoginChainTail(const net::ApiContext& api) {
  return RunChain({[&] { return net::Setup(api); }, [&] { return net::ChannelCatalogue(api); },
                   [&] { return ReloadVideoRoot(api); }, [&] { return billing::Bill(api); },
                   [&] { return billing::ShortNumbers(api); }, [&] { return net::Messages(api, 1, 1); }});
}

RequestResultPtr ResetTreeAndCatalogue(const net::ApiContext& api) {
  api.data.ResetChannelTree();
  return net::ChannelCatalogue(api);
}

// What a command whose record is gone delivers: a failed request with the
// generic message, as if the server could not be reached.
RequestResultPtr RecordGone() { return net::NewRequestResult(); }

RequestResultPtr ProgrammeBlocksFor(const NetworkTask& task, const net::ApiContext& api) {
  if (task.screenKind != ui::kChannelScreen && task.screenKind != ui::kDayChoiceScreen) return net::NewRequestResult();
  model::CatalogueItem* channel = model::Find(api.data, task.parameters.channel);
  if (channel == nullptr) return RecordGone();
  if (task.screenKind == ui::kChannelScreen) return net::ProgrammeBlocks(api, *channel, api.network.ServerNow());
  return net::ProgrammeBlocks(api, *channel, task.parameters.date);
}

RequestResultPtr BlockElementsFor(const NetworkTask& task, const net::ApiContext& api) {
  if (task.screenKind != ui::kBlockProgrammeScreen && task.screenKind != ui::kChannelProgrammeScreen) return nullptr;
  model::ProgrammeBlock* block = model::Find(api.data, task.parameters.block);
  return block != nullptr ? net::BlockElements(api, *block) : RecordGone();
}

RequestResultPtr VideosFor(const NetworkTask& task, const net::ApiContext& api) {
  if (task.screenKind == ui::kMainMenuScreen) return net::Videos(api, *api.data.videoRoot, 1, net::kNormalFirstChild);
  if (task.screenKind != ui::kVideoCatalogueScreen) return nullptr;
  model::ProgrammeElement* folder = model::Find(api.data, task.parameters.folder);
  if (folder == nullptr) return RecordGone();
  return net::Videos(api, *folder, task.parameters.folderShown ? 0 : 1, net::kNormalFirstChild);
}

RequestResultPtr FavouriteFor(const NetworkTask& task, const net::ApiContext& api) {
  model::ProgrammeElement* video = model::Find(api.data, task.parameters.video);
  return video != nullptr ? net::ToggleFavorite(api, *video) : RecordGone();
}

RequestResultPtr BuyInfoFor(const NetworkTask& task, const net::ApiContext& api) {
  model::ProgrammeElement* video = model::Find(api.data, task.parameters.video);
  if (video == nullptr) return RecordGone();
  const auto type = task.parameters.buyType == 0 ? billing::BuyType::kPlay : billing::BuyType::kDownload;
  RequestResultPtr info = billing::BuyInfo(api, video, type);
  if (!Succeeded(info) || info->secondary != 0) return info;
  return ThenBalance(api, std::move(info));
}

RequestResultPtr SubscribeFor(const NetworkTask& task, const net::ApiContext& api) {
  model::CatalogueItem* channel = model::Find(api.data, task.parameters.channel);
  if (channel == nullptr) return RecordGone();
  return ThenBalance(api, billing::SubscribeChannel(api, channel));
}

RequestResultPtr HelpTextsFor(const NetworkTask& task, const net::ApiContext& api) {
  const int index = task.parameters.index;
  if (task.screenKind != ui::kHelpThemesScreen || index < 0 ||
      static_cast<std::size_t>(index) >= api.data.helpThemes.size()) {
    return nullptr;
  }
  return net::HelpTexts(api, api.data.helpThemes[static_cast<std::size_t>(index)].get());
}

RequestResultPtr CurrentProgramme(const NetworkTask& task, const net::ApiContext& api, int which) {
  return net::CurrentBlock(api, which, task.parameters.channelId, api.data.nowNextEntries);
}

// One preview picture, downloaded into the delivery the screen handed over
// (never into the data state, which the screen reads meanwhile). Always ok:
// a failed download delivers an empty picture, so the numbering goes on.
RequestResultPtr NextPreview(const NetworkTask& task, const net::ApiContext& api) {
  const std::shared_ptr<ui::PreviewDelivery>& delivery = task.parameters.preview;
  if (delivery && !task.parameters.text.empty()) {
    delivery->picture = net::FetchPreviewImage(api.Transfers(), task.parameters.text);
    delivery->done.store(true, std::memory_order_release);
  }
  auto result = net::NewRequestResult();
  result->ok = true;
  return result;
}

// A dropped logo fetched again into the screen's delivery, like a preview
// picture; the screen keeps it in the data state on its own thread. Always
// ok: a failed download delivers an empty picture.
RequestResultPtr LogoAgain(const NetworkTask& task, const net::ApiContext& api) {
  const std::shared_ptr<ui::PreviewDelivery>& delivery = task.parameters.preview;
  if (delivery && !task.parameters.text.empty()) {
    delivery->picture = net::FetchLogoImage(api.Transfers(), task.parameters.text, task.parameters.index);
    delivery->done.store(true, std::memory_order_release);
  }
  auto result = net::NewRequestResult();
  result->ok = true;
  return result;
}

}  // namespace

RequestResultPtr RunNetworkCommand(const NetworkTask& task, const net::ApiContext& api) {
  const ui::CommandParameters& p = task.parameters;
  switch (task.command) {
    case model::kCommandLoginAndCountries:
      return RunChain({[&] { return net::Login(api, p.login, p.password); }, [&] { return net::Countries(api); }});
    case model::kCommandNewUser: return net::NewUser(api);
    case model::kCommandLoginWithLocation:
      api.data.ResetChannelTree();
      return RunChain({[&] { return net::Login(api, p.login, p.password); }, [&] { return LoginChainTail(api); }});
    case model::kCommandOperators: return net::Operators(api);
    case model::kCommandSetupAndCatalogue: api.data.ResetChannelTree(); return LoginChainTail(api);
    case model::kCommandCountries: return net::Countries(api);
    case model::kCommandZones: return net::Zones(api);
    case model::kCommandLanguageSettings:
      return RunChain({[&] { return net::UpdateLanguageSettings(api); }, [&] { return billing::ShortNumbers(api); },
                       [&] { return ResetTreeAndCatalogue(api); }});
    case model::kCommandSetupCatalogueVideos: {
      api.data.ResetChannelTree();
      RequestResultPtr result = RunChain({[&] { return net::Setup(api); }, [&] { return net::ChannelCatalogue(api); },
                                          [&] { return ReloadVideoRoot(api); }});
      if (Succeeded(result)) api.data.helpThemes.clear();
      return result;
    }
    case model::kCommandSetupAfterLocation:
      return RunChain({[&] { return net::Setup(api); }, [&] { return billing::ShortNumbers(api); },
                       [&] { return ResetTreeAndCatalogue(api); }});
    case model::kCommandBill: return billing::Bill(api);
    case model::kCommandCreditPurchase: return billing::RunCreditPurchase(api, p.index);
    case model::kCommandCatalogue: return net::ChannelCatalogue(api, p.index);
    case model::kCommandSubscribe: return SubscribeFor(task, api);
    case model::kCommandProgrammeBlocks: return ProgrammeBlocksFor(task, api);
    case model::kCommandBlockElements: return BlockElementsFor(task, api);
    case model::kCommandVideos: return VideosFor(task, api);
    case model::kCommandFavourite: return FavouriteFor(task, api);
    case model::kCommandBuyInfo: return BuyInfoFor(task, api);
    case model::kCommandMessages: return net::Messages(api, task.screenKind == ui::kMainMenuScreen ? 1 : 0, 0);
    case model::kCommandVersion: return net::Version(api);
    case model::kCommandFeedback: return billing::Feedback(api, p.phone, p.email, p.text);
    case model::kCommandHelpThemes: return net::HelpThemes(api);
    case model::kCommandHelpTexts: return HelpTextsFor(task, api);
    case model::kCommandGifts: return ThenBalance(api, billing::Gifts(api, p.text));
    case model::kCommandFolderPayment: return billing::RunFolderPayment(api);
    case model::kCommandCurrentProgramme: return CurrentProgramme(task, api, net::kLastBlock);
    case model::kCommandNextProgramme: return CurrentProgramme(task, api, net::kNextBlock);
    case model::kCommandVideoDetails: return net::VideoDetails(api, p.videoId, api.data.videoDetail);
    case model::kCommandNextPreview: return NextPreview(task, api);
    case model::kCommandLogoAgain: return LogoAgain(task, api);
    default: return nullptr;  // 25 runs on its own worker; 26, 27 and unknown ids give none
  }
}

bool UsesDataState(int command) {
  return command != model::kCommandNextPreview && command != model::kCommandLogoAgain &&
         command != model::kCommandStreamSetup;
}

}  // namespace kestrova::app
