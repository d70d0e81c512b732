// The decoded audio is the tone that was encoded: right frequency, about the
// right level, and each channel's own.
#include <gtest/gtest.h>

#include <string>

#include "audio/audio_converter.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::audio {
namespace {

using testing::Channel;
using testing::ToneAmplitude;

constexpr double kFullScale = 32768.0;

std::vector<std::int16_t> Convert(const std::string& bytes, bool speex) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  const std::string in = dir / "in", out = dir / "out.wav";
  testing::WriteFile(in, bytes);
  CAudioConverter converter(AudioDiagnostics{err.get(), err.get()});
  EXPECT_EQ(speex ? converter.SpeexToWav(in.c_str(), out.c_str())
                  : converter.VorbisToWav(in.c_str(), out.c_str()),
            ConversionResult::kConverted);
  return testing::Samples16(testing::ReadFile(out), 44);
}

// `signal` holds a tone of `hz` at about `amplitude` and next to nothing of
// `other_hz`.
void ExpectTone(const std::vector<double>& signal, double hz, double other_hz, double amplitude,
                double rate) {
  const double found = ToneAmplitude(signal, hz, rate);
  EXPECT_GT(found, 0.6 * amplitude * kFullScale) << hz << " Hz";
  EXPECT_LT(found, 1.3 * amplitude * kFullScale) << hz << " Hz";
  EXPECT_LT(ToneAmplitude(signal, other_hz, rate), 0.05 * found) << other_hz << " Hz";
}

TEST(AudioTones, VorbisMonoComesBackAtItsFrequency) {
  for (int rate : {44100, 22050}) {
    SCOPED_TRACE(rate);
    encoderkit::VorbisOptions options;
    options.rate = rate;
    const auto pcm = Convert(
        encoderkit::EncodeVorbis(options, encoderkit::SineTone(1000, 0.5, rate, rate)), false);
    ASSERT_EQ(pcm.size(), static_cast<std::size_t>(rate));
    ExpectTone(Channel(pcm, 1, 0), 1000, 440, 0.5, rate);
  }
}

TEST(AudioTones, VorbisStereoKeepsLeftAndRightApart) {
  encoderkit::VorbisOptions options;
  options.channels = 2;
  const auto pcm = Convert(
      encoderkit::EncodeVorbis(options, encoderkit::StereoSineTone(440, 1000, 0.4, 44100, 44100)),
      false);
  ASSERT_EQ(pcm.size(), 2u * 44100u);
  ExpectTone(Channel(pcm, 2, 0), 440, 1000, 0.4, 44100);
  ExpectTone(Channel(pcm, 2, 1), 1000, 440, 0.4, 44100);
}

TEST(AudioTones, SpeexMonoComesBackAtItsFrequencyInEveryMode) {
  struct Case {
    int mode;
    double hz;
    double other_hz;
  };
  for (Case c : {Case{0, 440, 1200}, Case{1, 1000, 2500}, Case{2, 1500, 600}}) {
    SCOPED_TRACE("mode " + std::to_string(c.mode));
    encoderkit::SpeexOptions options;
    options.mode = c.mode;
    const int rate = 8000 << c.mode;
    const auto pcm = Convert(
        encoderkit::EncodeSpeex(options, encoderkit::SineTone(c.hz, 0.3, rate, rate)), true);
    ASSERT_EQ(pcm.size(), static_cast<std::size_t>(rate));
    // The codec needs a few frames to settle; look at the rest.
    ExpectTone(Channel(pcm, 1, 0, rate / 10), c.hz, c.other_hz, 0.3, rate);
  }
}

TEST(AudioTones, SpeexStereoPutsEachHalfOnItsOwnSide) {
  // In-band stereo carries one mono signal and its balance, so the sides are
  // told apart in time: a tone on the left only, then one on the right only.
  for (int mode : {0, 1}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    const int rate = 8000 << mode;
    const auto left = encoderkit::StereoSineTone(500, 0, 0.3, rate, rate);
    auto right = encoderkit::StereoSineTone(0, 700, 0.3, rate, rate);
    std::vector<float> samples = left;
    samples.insert(samples.end(), right.begin(), right.end());
    encoderkit::SpeexOptions options;
    options.mode = mode;
    options.channels = 2;
    const auto pcm = Convert(encoderkit::EncodeSpeex(options, samples), true);
    ASSERT_EQ(pcm.size(), 4u * static_cast<std::size_t>(rate));
    const auto n = static_cast<std::size_t>(rate);
    const auto settle = n / 5;
    const auto l1 = Channel(pcm, 2, 0, settle, n - settle);
    const auto r1 = Channel(pcm, 2, 1, settle, n - settle);
    const auto l2 = Channel(pcm, 2, 0, n + settle, n - settle);
    const auto r2 = Channel(pcm, 2, 1, n + settle, n - settle);
    ExpectTone(l1, 500, 700, 0.3, rate);
    ExpectTone(r2, 700, 500, 0.3, rate);
    EXPECT_LT(ToneAmplitude(r1, 500, rate), 0.1 * ToneAmplitude(l1, 500, rate));
    EXPECT_LT(ToneAmplitude(l2, 700, rate), 0.1 * ToneAmplitude(r2, 700, rate));
  }
}

}  // namespace
}  // namespace cdsetup::audio
