// Shared bits of the user-interface tests: where the built program files
// lie, and colour comparison with the RGB565 rounding of the screen.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/colour.h"

namespace kestrova::test {

inline const std::filesystem::path kBinDir = KESTROVA_BIN_DIR;

// A colour as the screen stores it (RGB565 and back).
inline platform::Colour OnScreen(platform::Colour c) { return platform::FromRgb565(platform::ToRgb565(c)); }

inline ::testing::AssertionResult SameColour(platform::Colour actual, platform::Colour expected) {
  if (OnScreen(actual) == OnScreen(expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "colour (" << int(actual.r) << "," << int(actual.g) << "," << int(actual.b)
                                       << ") is not (" << int(expected.r) << "," << int(expected.g) << ","
                                       << int(expected.b) << ")";
}

}  // namespace kestrova::test
