#include "encoderkit/tone.h"

#include <cmath>
#include <numbers>

namespace cdsetup::encoderkit {

namespace {

float SineAt(double frequency, double amplitude, int rate, std::size_t i) {
  return static_cast<float>(
      amplitude * std::sin(2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate));
}

}  // namespace

std::vector<float> SineTone(double frequency, double amplitude, int rate, std::size_t frames) {
  std::vector<float> out(frames);
  for (std::size_t i = 0; i < frames; ++i) out[i] = SineAt(frequency, amplitude, rate, i);
  return out;
}

std::vector<float> StereoSineTone(double left_hz, double right_hz, double amplitude, int rate,
                                  std::size_t frames) {
  std::vector<float> out(2 * frames);
  for (std::size_t i = 0; i < frames; ++i) {
    out[2 * i] = SineAt(left_hz, amplitude, rate, i);
    out[2 * i + 1] = SineAt(right_hz, amplitude, rate, i);
  }
  return out;
}

std::vector<float> SquareTone(double frequency, double amplitude, int rate, std::size_t frames) {
  std::vector<float> out(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    out[i] = static_cast<float>(SineAt(frequency, 1.0, rate, i) >= 0 ? amplitude : -amplitude);
  }
  return out;
}

}  // namespace cdsetup::encoderkit
