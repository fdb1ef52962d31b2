// The service's content as read from the data folder: regions, the channel
// catalogue, programme templates, videos, messages, help, short numbers, gift
// codes and stream qualities. Immutable once loaded; shared by all requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language.h"

namespace kestrova::server {

struct ShortNumber {
  std::string price;  // shown to the user, e.g. "1.50 EUR"
  int credit = 0;     // credits added to the balance per SMS
  int number = 0;
  std::string prefix;  // first word of the SMS text; the login follows it
};

struct Operator {
  int id = 0;
  LocalText name;
};

struct Zone {
  int id = 0;
  bool is_default = false;
  std::string shift;  // "+03:00"
  LocalText name;
};

struct Country {
  std::string code;
  LocalText name;
  // Preselected for users of this interface language who chose no country yet.
  std::optional<Language> default_for;
  std::vector<Operator> operators;
  std::vector<Zone> zones;
  std::vector<ShortNumber> short_numbers;
};

// Logos are drawn by the server: a short text on a coloured tile.
struct LogoDesign {
  std::string text;
  std::uint32_t colour = 0x336699;  // 0xRRGGBB
};

struct ChannelFolder {
  int id = 0;
  int parent = 0;  // 0: the root
  LocalText name;
  LocalText description;
  LogoDesign logo;
  // A paid package: its channels are watchable only with a subscription,
  // bought by SMS or from the balance.
  bool paid = false;
  int price = 0;  // credits, for a subscription from the balance
  int period_days = 0;
  std::string sms_number;
  std::string sms_text;
  LocalText message;  // the subscription offer shown in the folder
};

struct Channel {
  int id = 0;
  int folder = 0;
  LocalText name;
  LocalText description;
  LogoDesign logo;
  bool free = true;
  bool can_buy = false;  // sold on its own from the balance
  int price = 0;
  int period_days = 0;
  bool live = true;    // has a live stream
  std::string theme;   // programme template; empty: no programme
  // What the stream shows: a media file (an absolute path) or a live input
  // URL; empty: the channel's test card.
  std::string source;
};

struct Show {
  int id = 0;        // element id in the programme; a video id when video != 0
  int video = 0;     // the catalogue video this show is available as, or 0
  int minutes = 0;
  LocalText name;
};

// A part of the day [from_hour, to_hour) of a programme template; each hour of
// it becomes one block of the day's programme.
struct ThemeBlock {
  int from_hour = 0;
  int to_hour = 0;
  LocalText name;
  std::vector<Show> shows;
};

struct ProgrammeTheme {
  std::string id;
  std::vector<ThemeBlock> blocks;
};

struct VideoFolder {
  int id = 0;
  int parent = 0;  // 0: the root of the video catalogue
  LocalText name;
};

struct Video {
  int id = 0;
  int folder = 0;
  LocalText name;
  int length_seconds = 0;
  int play_price = 0;  // credits to watch on demand
  int download_price = 0;
};

struct Quality {
  int id = 0;
  LocalText name;
  std::string speed;  // required speed, shown as it is
  int kbps = 0;       // for the file sizes of bought videos
};

struct Message {
  int id = 0;
  LocalText header;
  LocalText text;
};

struct HelpText {
  int id = 0;
  LocalText subject;
  LocalText text;
};

struct HelpTheme {
  int id = 0;
  LocalText name;
  std::vector<HelpText> texts;
};

struct GiftCode {
  std::string code;
  int credit = 0;
  int max_uses = 0;  // over all accounts; 0: unlimited (each account once)
};

struct Catalogue {
  std::vector<Country> countries;
  std::vector<ChannelFolder> folders;
  std::vector<Channel> channels;
  std::vector<ProgrammeTheme> themes;
  std::vector<VideoFolder> video_folders;
  std::vector<Video> videos;
  std::vector<Quality> qualities;          // live and on-demand play
  std::vector<Quality> download_formats;   // on-demand download
  std::vector<Message> messages;
  std::vector<HelpTheme> help;
  std::vector<GiftCode> gifts;
  std::string latest_version;  // "2.1.0"
  std::string update_link;     // path on this server, e.g. "/download/"

  const Country* FindCountry(std::string_view code) const;
  const Operator* FindOperator(int id, const Country** country = nullptr) const;
  const Zone* FindZone(int id) const;
  const ChannelFolder* FindFolder(int id) const;
  const Channel* FindChannel(int id) const;
  const ProgrammeTheme* FindTheme(std::string_view id) const;
  const VideoFolder* FindVideoFolder(int id) const;
  const Video* FindVideo(int id) const;
  const Show* FindShow(int id) const;
  const HelpTheme* FindHelpTheme(int id) const;
  const GiftCode* FindGift(std::string_view code) const;
  // The short number with this number whose prefix starts the given SMS text.
  const ShortNumber* FindShortNumber(int number, std::string_view prefix) const;
  const ChannelFolder* FindPackageBySms(std::string_view number, std::string_view text) const;
};

}  // namespace kestrova::server
