// Pieces that several answers share: the short-number list and the element
// that describes a video, a video folder or a programme entry.
#pragma once

#include <string>

#include "catalogue.h"
#include "language.h"
#include "programme.h"
#include "xml_writer.h"

namespace kestrova::server {

// Type texts of elements; the client selects only "Video" entries.
inline constexpr const char* kTypeVideo = "Video";
inline constexpr const char* kTypeFolder = "Folder";
inline constexpr const char* kTypeHeading = "Heading";

// The short numbers of a country, each as a "shortnumber" child of parent.
void AddShortNumbers(XmlElement& parent, const Country* country);

// The country whose short numbers apply: the operator's, else the account's.
const Country* PaymentCountry(const Catalogue& catalogue, int operator_id, const std::string& account_country);

// What the element of a video says about one account.
struct VideoState {
  bool play_bought = false;
  bool download_bought = false;
  bool favourite = false;
};

// "/previews/<id>/": the client appends "1.jpg" ... "6.jpg".
std::string PreviewLink(const std::string& base_url, int id);

// "H:MM:SS" or "MM:SS".
std::string LengthText(int seconds);

void FillVideoElement(XmlElement& element, const Video& video, const VideoState& state, Language language,
                      const std::string& base_url);
void FillFolderElement(XmlElement& element, int id, const std::string& name);
// A programme entry: a heading, or a show (with the prices and state of its
// video when it is one).
void FillProgrammeElement(XmlElement& element, const ProgrammeEntry& entry, const std::string& start,
                          const Video* video, const VideoState& state, Language language,
                          const std::string& base_url);

}  // namespace kestrova::server
