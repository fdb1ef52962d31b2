// Reading the stream set-up answer, which travels in the response header
// lines of the control script, and the choices made from it: the quality of
// the next segment and the download rate it is measured at. Also the token
// that makes each stream URL distinct.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova::net {

// Set-up answer keys.
inline constexpr const wchar_t* kQualityCountKey = L"Qual_num";
inline constexpr const wchar_t* kQualitySizeKeyFormat = L"S%d";
inline constexpr const wchar_t* kVideoIdKey = L"Video_id";
inline constexpr const wchar_t* kVideoNameKey = L"Video_name";
inline constexpr const wchar_t* kSegmentLengthKey = L"Len";

// The quality asked for while no rate has been measured, or when none of the
// announced qualities fits the budget; sent even when fewer were announced.
inline constexpr int kFallbackQuality = 5;
// Quality ids 0 and 1 of the settings mean: choose by the measured rate.
inline constexpr int kAutomaticQualityId = 1;
// More qualities than this are not read from one answer: a real header
// block holds a handful, and a huge count would make the choice scan for ever.
inline constexpr int kMaxAnnouncedQualities = 100;

// The value of a header line: the key followed by ":" at the start of the
// text or right after a line feed (an occurrence elsewhere does not count),
// up to the next line feed, trimmed of white space on both sides. The first
// such line wins; "" when there is none.
class HeaderLines {
 public:
  explicit HeaderLines(std::wstring_view rawHeaders);
  std::wstring Value(std::wstring_view key) const;

 private:
  std::map<std::wstring, std::wstring, std::less<>> values_;
};

// What the set-up answer announces.
class SetupAnswer {
 public:
  explicit SetupAnswer(std::wstring_view rawHeaders);

  // "Qual_num", 0 when missing or not a number, at most kMaxAnnouncedQualities.
  int QualityCount() const { return qualityCount_; }
  // The segment size of quality i (1-based) as announced; "" when missing
  // or i is outside 1..QualityCount().
  const std::wstring& SizeText(int quality) const;
  // The same read as a number by the rules of atoi.
  std::int64_t Size(int quality) const;
  // Present and not empty: the programme belongs to this catalogue video.
  std::optional<int> VideoId() const;
  const std::wstring& VideoName() const { return videoName_; }
  // "Len": the length of one segment in seconds.
  int SegmentSeconds() const;

 private:
  HeaderLines lines_;
  int qualityCount_ = 0;
  std::map<int, std::wstring> sizes_;
  std::wstring videoId_;
  std::wstring videoName_;
  std::wstring length_;
};

// The quality number to ask for. A quality id above 1 (chosen by the user)
// gives that quality, at most the announced count. Otherwise, once a rate
// is known, the best quality whose segment can be fetched within one
// segment's length at that rate; kFallbackQuality when none can, or while
// no rate has been measured.
int ChooseQuality(int qualityId, double measuredRate, const SetupAnswer& answer);

// The download rate of a segment, in bytes a second: the bytes actually
// received over the time its getvid exchange took. Every segment is
// measured, whatever quality it was asked for (the fallback included, which
// the server answers with a quality of its own choosing), so the choice
// follows the link from the second segment on. nullopt when nothing came or
// no time went by.
std::optional<double> MeasureRate(std::uintmax_t bytes, std::chrono::steady_clock::duration elapsed);

// Hour, minute and second of the moment in local time without leading
// zeros ("957" at 9:05:07, "000" at midnight); "-1-1-1" when the moment
// cannot be broken down.
std::wstring StreamToken(std::time_t moment);

}  // namespace kestrova::net
