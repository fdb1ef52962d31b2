#include "answer_parts.h"

#include <cstdio>


namespace kestrova::server {
namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;

const char* Flag(bool value) { return value ? "1" : "0"; }

}  // namespace

void AddShortNumbers(XmlElement& parent, const Country* country) {
  if (country == nullptr) return;
  for (const auto& sn : country->short_numbers) {
    parent.Add("shortnumber").Attr("price", sn.price).Attr("credit", sn.credit).Attr("number", sn.number).Attr(
        "prefix", sn.prefix);
  }
}

const Country* PaymentCountry(const Catalogue& catalogue, int operator_id, const std::string& account_country) {
  const Country* country = nullptr;
  if (catalogue.FindOperator(operator_id, &country) != nullptr) return country;
  return catalogue.FindCountry(account_country);
}

std::string PreviewLink(const std::string& base_url, int id) {
  return base_url + "/previews/" + std::to_string(id) + "/";
}

std::string LengthText(int seconds) {
  char text[32];
  const int hours = seconds / kSecondsPerHour;
  const int minutes = seconds % kSecondsPerHour / kSecondsPerMinute;
  const int rest = seconds % kSecondsPerMinute;
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", hours, minutes, rest);
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d", minutes, rest);
  }
  return text;
}

void FillVideoElement(XmlElement& element, const Video& video, const VideoState& state, Language language,
                      const std::string& base_url) {
  element.Attr("type", kTypeVideo)
      .Attr("id", video.id)
      .Attr("name", video.name.In(language))
      .Attr("length", LengthText(video.length_seconds))
      .Attr("start", "")
      .Attr("preview_link", PreviewLink(base_url, video.id))
      .Attr("play_price", video.play_price)
      .Attr("dwn_price", video.download_price)
      .Attr("play_buyed", Flag(state.play_bought))
      .Attr("dwn_buyed", Flag(state.download_bought))
      .Attr("favorite", Flag(state.favourite));
}

void FillFolderElement(XmlElement& element, int id, const std::string& name) {
  element.Attr("type", kTypeFolder).Attr("id", id).Attr("name", name);
}

void FillProgrammeElement(XmlElement& element, const ProgrammeEntry& entry, const std::string& start,
                          const Video* video, const VideoState& state, Language language,
                          const std::string& base_url) {
  if (entry.show == nullptr) {
    element.Attr("type", kTypeHeading).Attr("id", entry.id).Attr("name", entry.name->In(language)).Attr("start", start);
    return;
  }
  element.Attr("type", kTypeVideo)
      .Attr("id", entry.id)
      .Attr("name", entry.name->In(language))
      .Attr("start", start)
      .Attr("length", LengthText(entry.minutes * kSecondsPerMinute))
      .Attr("preview_link", PreviewLink(base_url, entry.id));
  if (video != nullptr) {
    element.Attr("play_price", video->play_price)
        .Attr("dwn_price", video->download_price)
        .Attr("play_buyed", Flag(state.play_bought))
        .Attr("dwn_buyed", Flag(state.download_bought))
        .Attr("favorite", Flag(state.favourite));
  }
}

}  // namespace kestrova::server
