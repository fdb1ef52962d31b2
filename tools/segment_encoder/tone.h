// The test card's sound: a 1 kHz tone that pauses for the last fifth of every
// second, so that a listener hears the seconds tick with the clock.
#pragma once

namespace kestrova::encoder {

class Tone {
 public:
  explicit Tone(int sampleRate) : sampleRate_(sampleRate) {}
  // Fills `count` samples of every channel, continuing where the last call
  // stopped.
  void Fill(float** channels, int channelCount, int count);

 private:
  int sampleRate_;
  long position_ = 0;
};

}  // namespace kestrova::encoder
