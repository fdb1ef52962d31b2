#include "catalogue_api.h"

#include <algorithm>
#include <ctime>
#include <set>
#include <utility>
#include <variant>

#include "access.h"
#include "answer_parts.h"
#include "civil_time.h"
#include "xml_writer.h"

namespace kestrova::server {
namespace {

constexpr int kFavouritesFolder = -1;
constexpr int kPurchasesFolder = -2;
constexpr int kRootFolder = 0;
constexpr int kDefaultPageSize = 10;
constexpr int kMaxPageSize = 100;
constexpr int kMessagesPerPage = 10;
// Account notices are numbered above the service's own messages.
constexpr int kNoticeIdBase = 100000;
constexpr int kRelativeBlock = -1;
constexpr std::size_t kNowNextEntries = 6;
constexpr int kMinutesPerHour = 60;

// Which videos one account has bought and marked, read once per answer.
class VideoStates {
 public:
  VideoStates(ServerContext& context, int user_id) {
    for (const int id : context.accounts.Favourites(user_id)) favourites_.insert(id);
    for (const auto& purchase : context.wallet.Purchases(user_id)) {
      (purchase.kind == PurchaseKind::kPlay ? played_ : downloaded_).insert(purchase.video_id);
    }
  }
  VideoState Of(int video_id) const {
    return {played_.count(video_id) > 0, downloaded_.count(video_id) > 0, favourites_.count(video_id) > 0};
  }

 private:
  std::set<int> favourites_, played_, downloaded_;
};

std::string LogoLink(const std::string& base_url, const std::string& file) { return base_url + "/logos/" + file; }

int LogoSize(const LogoStore& logos, const std::string& file) {
  const std::string* png = logos.Find(file);
  return png == nullptr ? 0 : static_cast<int>(png->size());
}

// One entry of a video folder: a sub-folder or a video.
using VideoEntry = std::variant<std::pair<int, std::string>, const Video*>;

}  // namespace

void CatalogueApi::Register(ApiRouter& router) {
  router.Add("catchan.php", [this](const ApiRequest& r) { return Channels(r); });
  router.Add("blocks.php", [this](const ApiRequest& r) { return Blocks(r); });
  router.Add("block.php", [this](const ApiRequest& r) { return Block(r); });
  router.Add("videos.php", [this](const ApiRequest& r) { return Videos(r); });
  router.Add("video.php", [this](const ApiRequest& r) { return VideoDetails(r); });
  router.Add("add_favorite.php", [this](const ApiRequest& r) { return AddFavourite(r); });
  router.Add("messenger.php", [this](const ApiRequest& r) { return Messenger(r); });
  router.Add("help_themes.php", [this](const ApiRequest& r) { return HelpThemes(r); });
  router.Add("help_texts.php", [this](const ApiRequest& r) { return HelpTexts(r); });
}

std::string CatalogueApi::Channels(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int folder_id = request.Int("folder_id");
  const ChannelFolder* folder = nullptr;
  if (folder_id != kRootFolder) {
    folder = context_.catalogue.FindFolder(folder_id);
    if (folder == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"folder_id", std::to_string(folder_id)});
  }
  const std::time_t now = std::time(nullptr);
  const Language lang = request.Lang();
  const bool package = folder != nullptr && folder->paid;
  XmlElement root("channels");
  root.Attr("free", package && !PackageOpen(context_.wallet, account.id, *folder, now) ? 0 : 1)
      .Attr("showtop", package ? 1 : 0)
      .Attr("msg", package ? folder->message.In(lang) : "")
      .Attr("smsnumber", package ? folder->sms_number : "")
      .Attr("smstext", package ? folder->sms_text : "");
  for (const auto& channel : context_.catalogue.channels) {
    if (channel.folder != folder_id) continue;
    const bool watchable = CanWatch(context_.wallet, context_.catalogue, account.id, channel, now);
    const std::string logo = LogoStore::ChannelFile(channel.id);
    root.Add("channel")
        .Attr("id", channel.id)
        .Attr("name", channel.name.In(lang))
        .Attr("logo_link", LogoLink(request.BaseUrl(), logo))
        .Attr("logo_size", LogoSize(context_.logos, logo))
        .Attr("have_video", channel.live ? 1 : 0)
        .Attr("can_buy", channel.can_buy && !watchable ? 1 : 0)
        .Attr("free", watchable ? 1 : 0)
        .Attr("have_program", channel.theme.empty() ? 0 : 1)
        .Attr("description", channel.description.In(lang))
        .Attr("favorites", 0);
  }
  for (const auto& sub : context_.catalogue.folders) {
    if (sub.parent != folder_id) continue;
    const std::string logo = LogoStore::FolderFile(sub.id);
    root.Add("folder")
        .Attr("id", sub.id)
        .Attr("name", sub.name.In(lang))
        .Attr("logo_link", LogoLink(request.BaseUrl(), logo))
        .Attr("logo_size", LogoSize(context_.logos, logo))
        .Attr("description", sub.description.In(lang));
  }
  return root.Document();
}

std::string CatalogueApi::Blocks(const ApiRequest& request) {
  Authenticate(context_, request);
  request.Int("zone_id");  // the programme is in the channel's own time
  const std::string date_text = request.Text("date");
  const auto date = ParseDayMonthYear(date_text);
  const auto day = date ? DayNumber(*date) : std::nullopt;
  if (!day) request.Fail(kErrorBadParameter, TextId::kBadParameter, {"date"});
  const int channel_id = request.Int("channel_id");
  const Channel* channel = context_.catalogue.FindChannel(channel_id);
  if (channel == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"channel_id", std::to_string(channel_id)});
  const ProgrammeDay programme = context_.programme.Day(*channel, *day);
  XmlElement root("blocks");
  root.Attr("end_trs", programme.end);
  for (const auto& block : programme.blocks) {
    root.Add("block").Attr("id", block.id).Attr("start", TwoPartTime(block.hour, 0)).Attr(
        "name", block.name->In(request.Lang()));
  }
  return root.Document();
}

std::string CatalogueApi::Block(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int block_id = request.Int("block_id");
  const VideoStates states(context_, account.id);
  const auto fill = [&](XmlElement& element, const ProgrammeEntry& entry, const std::string& start) {
    const Video* video = entry.show != nullptr ? context_.catalogue.FindVideo(entry.id) : nullptr;
    FillProgrammeElement(element, entry, start, video, states.Of(entry.id), request.Lang(), request.BaseUrl());
  };
  XmlElement root("block");
  if (block_id == kRelativeBlock) {
    // The programme around now on the channel being watched.
    const int channel_id = request.Int("channel_id");
    const Channel* channel = context_.catalogue.FindChannel(channel_id);
    if (channel == nullptr) {
      request.Fail(kErrorUnknownId, TextId::kUnknownId, {"channel_id", std::to_string(channel_id)});
    }
    const std::string type = request.Text("type");
    if (type != "next" && type != "last") request.Fail(kErrorBadParameter, TextId::kBadParameter, {"type"});
    const LocalMoment now = LocalMomentOf(std::time(nullptr));
    for (const auto& timed :
         context_.programme.Around(*channel, now.day_number, now.second_of_day, type == "next", kNowNextEntries)) {
      const std::string clock = TwoPartTime(timed.start_minute / kMinutesPerHour, timed.start_minute % kMinutesPerHour);
      fill(root.Add("element"), timed.entry, clock);
    }
    return root.Document();
  }
  const auto located = context_.programme.Find(block_id);
  if (!located) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"block_id", std::to_string(block_id)});
  for (const auto& entry : located->block.entries) {
    fill(root.Add("element"), entry, TwoPartTime(entry.offset_minutes, 0));  // MM:SS from the block's start
  }
  return root.Document();
}

std::string CatalogueApi::Videos(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int folder_id = request.Int("folder_id");
  const int page = std::max(request.IntOr("page", 1), 1);
  const int on_page = std::clamp(request.IntOr("onpage", kDefaultPageSize), 1, kMaxPageSize);
  const Language lang = request.Lang();
  const auto& catalogue = context_.catalogue;

  std::vector<VideoEntry> entries;
  const auto add_videos = [&](const std::vector<int>& ids) {
    for (const int id : ids) {
      if (const Video* video = catalogue.FindVideo(id)) entries.emplace_back(video);
    }
  };
  if (folder_id == kFavouritesFolder) {
    add_videos(context_.accounts.Favourites(account.id));
  } else if (folder_id == kPurchasesFolder) {
    add_videos(context_.wallet.PurchasedVideos(account.id));
  } else {
    if (folder_id != kRootFolder && catalogue.FindVideoFolder(folder_id) == nullptr) {
      request.Fail(kErrorUnknownId, TextId::kUnknownId, {"folder_id", std::to_string(folder_id)});
    }
    if (folder_id == kRootFolder) {
      entries.emplace_back(std::pair{kFavouritesFolder, Text(TextId::kFavouritesFolder, lang)});
      entries.emplace_back(std::pair{kPurchasesFolder, Text(TextId::kPurchasesFolder, lang)});
    }
    for (const auto& sub : catalogue.video_folders) {
      if (sub.parent == folder_id) entries.emplace_back(std::pair{sub.id, sub.name.In(lang)});
    }
    for (const auto& video : catalogue.videos) {
      if (video.folder == folder_id) entries.emplace_back(&video);
    }
  }

  const VideoStates states(context_, account.id);
  XmlElement root("videos");
  root.Attr("total", static_cast<long long>(entries.size()));
  const auto first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(on_page);
  for (std::size_t i = first; i < entries.size() && i < first + static_cast<std::size_t>(on_page); ++i) {
    auto& element = root.Add("element");
    if (const auto* folder = std::get_if<std::pair<int, std::string>>(&entries[i])) {
      FillFolderElement(element, folder->first, folder->second);
    } else {
      const Video* video = std::get<const Video*>(entries[i]);
      FillVideoElement(element, *video, states.Of(video->id), lang, request.BaseUrl());
    }
  }
  return root.Document();
}

std::string CatalogueApi::VideoDetails(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int video_id = request.Int("video_id");
  const Video* video = context_.catalogue.FindVideo(video_id);
  if (video == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"video_id", std::to_string(video_id)});
  XmlElement root("video");
  FillVideoElement(root, *video, VideoStates(context_, account.id).Of(video_id), request.Lang(), request.BaseUrl());
  return root.Document();
}

std::string CatalogueApi::AddFavourite(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int video_id = request.Int("item_id");
  const int favourite = request.Int("favorite");
  if (favourite != 0 && favourite != 1) request.Fail(kErrorBadParameter, TextId::kBadParameter, {"favorite"});
  if (request.TextOr("type", "vid") != "vid") request.Fail(kErrorBadParameter, TextId::kBadParameter, {"type"});
  if (context_.catalogue.FindVideo(video_id) == nullptr) {
    request.Fail(kErrorUnknownId, TextId::kUnknownId, {"item_id", std::to_string(video_id)});
  }
  context_.accounts.SetFavourite(account.id, video_id, favourite == 1, std::time(nullptr));
  XmlElement root("add_favorite");
  root.Attr("current_status", context_.accounts.IsFavourite(account.id, video_id) ? 1 : 0);
  return root.Document();
}

std::string CatalogueApi::Messenger(const ApiRequest& request) {
  const Account account = Authenticate(context_, request);
  const int page = std::max(request.IntOr("page", 1), 1);  // page 0 asks for the first page too
  const Language lang = request.Lang();

  struct Line {
    int id;
    std::string header;
    std::string text;
  };
  std::vector<Line> lines;
  for (const auto& notice : context_.inbox.Notices(account.id)) {
    const std::string amount = std::to_string(notice.amount);
    Line line{kNoticeIdBase + notice.id, {}, {}};
    switch (notice.kind) {
      case InboxKind::kCredit:
        line.header = Text(TextId::kCreditHeader, lang);
        line.text = Text(TextId::kCreditText, lang, {amount});
        break;
      case InboxKind::kSubscription: {
        std::string name = std::to_string(notice.item_id);
        if (const auto* f = context_.catalogue.FindFolder(notice.item_id)) name = f->name.In(lang);
        if (const auto* c = context_.catalogue.FindChannel(notice.item_id)) name = c->name.In(lang);
        line.header = Text(TextId::kSubscriptionHeader, lang);
        line.text = Text(TextId::kSubscriptionText, lang, {name, amount});
        break;
      }
      case InboxKind::kWelcome:
        line.header = Text(TextId::kWelcomeHeader, lang);
        line.text = Text(TextId::kWelcomeText, lang, {account.login});
        break;
    }
    lines.push_back(std::move(line));
  }
  for (const auto& message : context_.catalogue.messages) {
    lines.push_back({message.id, message.header.In(lang), message.text.In(lang)});
  }

  XmlElement root("messenger");
  root.Attr("total", static_cast<long long>(lines.size()));
  const auto first = static_cast<std::size_t>(page - 1) * kMessagesPerPage;
  for (std::size_t i = first; i < lines.size() && i < first + kMessagesPerPage; ++i) {
    root.Add("message").Attr("id", lines[i].id).Attr("header", lines[i].header).Attr("text", lines[i].text);
  }
  return root.Document();
}

std::string CatalogueApi::HelpThemes(const ApiRequest& request) {
  Authenticate(context_, request);
  XmlElement root("help_themes");
  for (const auto& theme : context_.catalogue.help) {
    root.Add("theme").Attr("id", theme.id).Attr("name", theme.name.In(request.Lang()));
  }
  return root.Document();
}

std::string CatalogueApi::HelpTexts(const ApiRequest& request) {
  Authenticate(context_, request);
  const int theme_id = request.Int("theme_id");
  const HelpTheme* theme = context_.catalogue.FindHelpTheme(theme_id);
  if (theme == nullptr) request.Fail(kErrorUnknownId, TextId::kUnknownId, {"theme_id", std::to_string(theme_id)});
  XmlElement root("help_texts");
  for (const auto& text : theme->texts) {
    root.Add("text").Attr("id", text.id).Attr("subject", text.subject.In(request.Lang())).Attr(
        "text", text.text.In(request.Lang()));
  }
  return root.Document();
}

}  // namespace kestrova::server
