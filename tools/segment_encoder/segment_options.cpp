#include "segment_encoder/segment_options.h"

#include <charconv>
#include <cstdlib>

namespace kestrova::encoder {

const char* const kSegmentUsage =
    "usage: kestrova-segment-encoder [options] OUTPUT.ogg\n"
    "  --size WxH            picture size (320x240)\n"
    "  --fps N[/D]           frame rate (25/1)\n"
    "  --seconds S           length (10)\n"
    "  --rate HZ             sample rate (44100)\n"
    "  --channels N          channel count (2)\n"
    "  --chroma 420|422|444  chroma format (420)\n"
    "  --name TEXT           channel name on the card, UTF-8\n"
    "  --clock HH:MM:SS      time shown on the first picture (00:00:00)\n"
    "  --video-quality Q     Theora quality 0..63 (32)\n"
    "  --audio-quality Q     Vorbis quality -0.1..1 (0.1)\n"
    "  --serial N            serial number of the first stream (1000)\n"
    "  --audio-only | --video-only\n"
    "  --audio-first         the sound stream's first page before the pictures'\n"
    "  --extra-stream        add a third logical stream of an unknown kind\n";

namespace {

template <typename T>
bool Number(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

bool Decimal(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

bool Pair(const std::string& text, char separator, int& a, int& b, bool secondOptional) {
  const auto at = text.find(separator);
  if (at == std::string::npos) return secondOptional && Number(text, a);
  return Number(text.substr(0, at), a) && Number(text.substr(at + 1), b);
}

bool Clock(const std::string& text, int& seconds) {
  int h = 0;
  int m = 0;
  int s = 0;
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return false;
  if (!Number(text.substr(0, 2), h) || !Number(text.substr(3, 2), m) || !Number(text.substr(6, 2), s)) return false;
  if (h > 23 || m > 59 || s > 59) return false;
  seconds = (h * 60 + m) * 60 + s;
  return true;
}

}  // namespace

std::optional<SegmentOptions> ParseSegmentOptions(const std::vector<std::string>& arguments, std::string& error) {
  SegmentOptions options;
  SegmentRecipe& recipe = options.recipe;
  error.clear();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& option = arguments[i];
    if (option == "--help" || option == "-h") return std::nullopt;
    if (option == "--audio-only") {
      recipe.video = false;
      continue;
    }
    if (option == "--video-only") {
      recipe.audio = false;
      continue;
    }
    if (option == "--audio-first") {
      recipe.audioFirst = true;
      continue;
    }
    if (option == "--extra-stream") {
      recipe.extraStream = true;
      continue;
    }
    if (option.rfind("--", 0) != 0) {
      if (!options.output.empty()) {
        error = "more than one output file";
        return std::nullopt;
      }
      options.output = option;
      continue;
    }
    if (i + 1 >= arguments.size()) {
      error = option + " needs a value";
      return std::nullopt;
    }
    const std::string& value = arguments[++i];
    bool ok = true;
    if (option == "--size") {
      ok = Pair(value, 'x', recipe.width, recipe.height, false);
    } else if (option == "--fps") {
      recipe.fpsDenominator = 1;
      ok = Pair(value, '/', recipe.fpsNumerator, recipe.fpsDenominator, true);
    } else if (option == "--seconds") {
      ok = Decimal(value, recipe.seconds);
    } else if (option == "--rate") {
      ok = Number(value, recipe.sampleRate);
    } else if (option == "--channels") {
      ok = Number(value, recipe.channels);
    } else if (option == "--chroma") {
      ok = value == "420" || value == "422" || value == "444";
      recipe.chroma = value == "444" ? ChromaFormat::k444 : value == "422" ? ChromaFormat::k422 : ChromaFormat::k420;
    } else if (option == "--name") {
      recipe.channelName = value;
    } else if (option == "--clock") {
      ok = Clock(value, recipe.clockStart);
    } else if (option == "--video-quality") {
      ok = Number(value, recipe.videoQuality);
    } else if (option == "--audio-quality") {
      double quality = 0.0;
      ok = Decimal(value, quality);
      recipe.audioQuality = static_cast<float>(quality);
    } else if (option == "--serial") {
      ok = Number(value, recipe.serial);
    } else {
      error = "unknown option " + option;
      return std::nullopt;
    }
    if (!ok) {
      error = "bad value for " + option + ": " + value;
      return std::nullopt;
    }
  }
  if (options.output.empty()) {
    error = "no output file";
    return std::nullopt;
  }
  return options;
}

}  // namespace kestrova::encoder
