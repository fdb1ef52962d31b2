#include "catalogue.h"

#include <algorithm>
#include <cctype>

namespace kestrova::server {
namespace {

template <typename Record, typename Key, typename Field>
const Record* FindBy(const std::vector<Record>& records, const Key& key, Field field) {
  const auto it = std::find_if(records.begin(), records.end(), [&](const Record& r) { return r.*field == key; });
  return it == records.end() ? nullptr : &*it;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

const Country* Catalogue::FindCountry(std::string_view code) const {
  const auto it = std::find_if(countries.begin(), countries.end(),
                               [&](const Country& c) { return EqualsIgnoringCase(c.code, code); });
  return it == countries.end() ? nullptr : &*it;
}

const Operator* Catalogue::FindOperator(int id, const Country** country) const {
  for (const auto& c : countries) {
    if (const auto* op = FindBy(c.operators, id, &Operator::id)) {
      if (country != nullptr) *country = &c;
      return op;
    }
  }
  return nullptr;
}

const Zone* Catalogue::FindZone(int id) const {
  for (const auto& c : countries) {
    if (const auto* zone = FindBy(c.zones, id, &Zone::id)) return zone;
  }
  return nullptr;
}

const ChannelFolder* Catalogue::FindFolder(int id) const { return FindBy(folders, id, &ChannelFolder::id); }
const Channel* Catalogue::FindChannel(int id) const { return FindBy(channels, id, &Channel::id); }
const ProgrammeTheme* Catalogue::FindTheme(std::string_view id) const {
  const auto it = std::find_if(themes.begin(), themes.end(), [&](const ProgrammeTheme& t) { return t.id == id; });
  return it == themes.end() ? nullptr : &*it;
}
const VideoFolder* Catalogue::FindVideoFolder(int id) const { return FindBy(video_folders, id, &VideoFolder::id); }
const Video* Catalogue::FindVideo(int id) const { return FindBy(videos, id, &Video::id); }
const HelpTheme* Catalogue::FindHelpTheme(int id) const { return FindBy(help, id, &HelpTheme::id); }

const Show* Catalogue::FindShow(int id) const {
  for (const auto& theme : themes) {
    for (const auto& block : theme.blocks) {
      if (const auto* show = FindBy(block.shows, id, &Show::id)) return show;
    }
  }
  return nullptr;
}

const GiftCode* Catalogue::FindGift(std::string_view code) const {
  const auto it =
      std::find_if(gifts.begin(), gifts.end(), [&](const GiftCode& g) { return EqualsIgnoringCase(g.code, code); });
  return it == gifts.end() ? nullptr : &*it;
}

const ShortNumber* Catalogue::FindShortNumber(int number, std::string_view prefix) const {
  for (const auto& c : countries) {
    for (const auto& sn : c.short_numbers) {
      if (sn.number == number && EqualsIgnoringCase(sn.prefix, prefix)) return &sn;
    }
  }
  return nullptr;
}

const ChannelFolder* Catalogue::FindPackageBySms(std::string_view number, std::string_view text) const {
  const auto it = std::find_if(folders.begin(), folders.end(), [&](const ChannelFolder& f) {
    return f.paid && f.sms_number == number && EqualsIgnoringCase(f.sms_text, text);
  });
  return it == folders.end() ? nullptr : &*it;
}

}  // namespace kestrova::server
