// kestrova-segment-encoder: writes one self-contained Ogg segment (Theora test
// card, Vorbis tone) for tests, benchmarks and hand checks.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "segment_encoder/segment_encoder.h"
#include "segment_encoder/segment_options.h"

int main(int argc, char** argv) {
  using namespace kestrova::encoder;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string error;
  const auto options = ParseSegmentOptions(arguments, error);
  if (!options) {
    if (!error.empty()) std::fprintf(stderr, "kestrova-segment-encoder: %s\n", error.c_str());
    std::fputs(kSegmentUsage, error.empty() ? stdout : stderr);
    return error.empty() ? 0 : 2;
  }
  if (const kestrova::platform::Status usable = CheckRecipe(options->recipe); !usable) {
    std::fprintf(stderr, "kestrova-segment-encoder: %s\n", usable.Reason().c_str());
    return 2;
  }
  const auto segment = EncodeSegment(options->recipe);
  if (!segment) {
    std::fprintf(stderr, "kestrova-segment-encoder: encoding failed: %s\n", segment.Reason().c_str());
    return 1;
  }
  std::ofstream out(options->output, std::ios::binary | std::ios::trunc);
  out.write(segment->data(), static_cast<std::streamsize>(segment->size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "kestrova-segment-encoder: cannot write %s\n", options->output.c_str());
    return 1;
  }
  return 0;
}
