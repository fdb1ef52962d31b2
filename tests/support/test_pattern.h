// The picture and sound of the real channels' test sources, as functions of
// the source's time: the test media tool draws them into the files and
// streams it makes, and the tests compare what the server sends with them.
// The picture is smooth (it survives scaling) and changes with time (a
// bright band crosses it once per period); the sound is a tone whose
// period divides the pattern's, so a looped source has no seam.
#pragma once

#include <cmath>
#include <numbers>

namespace kestrova::test::pattern {

inline constexpr double kPeriod = 4.0;    // seconds
inline constexpr double kToneHz = 441.0;  // whole cycles per period
inline constexpr double kToneLevel = 0.5;
inline constexpr double kBandWidth = 0.07;

// Luma 0..1 at (u, v) in 0..1 across and down the picture, at time t.
inline double Luma(double u, double v, double t) {
  const double phase = std::fmod(t, kPeriod) / kPeriod;
  const double centre = 0.1 + 0.8 * (phase < 0 ? phase + 1 : phase);
  const double band = std::exp(-std::pow((u - centre) / kBandWidth, 2));
  return std::fmin(1.0, 0.15 + 0.45 * v + 0.4 * band);
}

// Chroma 0..1 (0.5 is grey).
inline double Blue(double u, double /*v*/) { return 0.4 + 0.2 * u; }
inline double Red(double /*u*/, double v) { return 0.4 + 0.2 * v; }

inline double Sound(double t) { return kToneLevel * std::sin(2.0 * std::numbers::pi * kToneHz * t); }

}  // namespace kestrova::test::pattern
