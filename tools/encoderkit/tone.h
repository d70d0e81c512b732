// Test signals for encoded fixtures: sine and square tones, mono or stereo,
// as interleaved float samples in [-1, 1].
#pragma once

#include <cstddef>
#include <vector>

namespace cdsetup::encoderkit {

/// `frames` samples of a sine of `frequency` Hz at `rate`, peak `amplitude`.
std::vector<float> SineTone(double frequency, double amplitude, int rate, std::size_t frames);

/// Interleaved left/right: a sine of `left_hz` on the left, `right_hz` on the
/// right, each of peak `amplitude`.
std::vector<float> StereoSineTone(double left_hz, double right_hz, double amplitude, int rate,
                                  std::size_t frames);

/// A square wave of `frequency` Hz between -amplitude and +amplitude.
std::vector<float> SquareTone(double frequency, double amplitude, int rate, std::size_t frames);

}  // namespace cdsetup::encoderkit
