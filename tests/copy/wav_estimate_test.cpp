#include "copy/wav_estimate.h"

#include <gtest/gtest.h>

#include "copy/audio_sound_converter.h"
#include "copy/sound_archive_reader.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::copy {
namespace {

// The estimate from an entry's ends, as the free-space question reads them.
std::uint64_t FromEnds(std::uint32_t kind, const std::string& data) {
  constexpr std::size_t kEach = 64 * 1024;
  if (data.size() <= 2 * kEach) return EstimateWavBytes(kind, data, "");
  return EstimateWavBytes(kind, std::string_view(data).substr(0, kEach),
                          std::string_view(data).substr(data.size() - kEach));
}

TEST(WavEstimate, MatchesWhatTheConvertersWriteWithinAPacket) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  AudioSoundConverter converter(audio::AudioDiagnostics{err.get(), err.get()});
  const std::atomic<bool> go_on{false};
  struct Case {
    const char* name;
    std::uint32_t kind;
    int channels;
    std::size_t frames;
  };
  // Short ones in one piece, long ones (over 128 kB) read from both ends.
  const Case kCases[] = {{"vorbis mono short", kKindVorbis, 1, 4410},
                         {"vorbis stereo long", kKindVorbis, 2, 44100 * 60},
                         {"speex short", kKindSpeex, 1, 1600},
                         {"speex long", kKindSpeex, 1, 8000 * 120}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string data;
    if (c.kind == kKindVorbis) {
      encoderkit::VorbisOptions options;
      options.channels = c.channels;
      data = encoderkit::EncodeVorbis(options,
                                      encoderkit::SineTone(440, 0.3, 44100, c.frames * c.channels));
    } else {
      data = encoderkit::EncodeSpeex(encoderkit::SpeexOptions{},
                                     encoderkit::SineTone(440, 0.3, 8000, c.frames));
    }
    EXPECT_EQ(data.size() > 128 * 1024, c.frames > 100000) << data.size();
    testing::WriteFile(dir / "entry", data);
    ASSERT_TRUE(converter.Convert(c.kind, dir / "entry", dir / "entry.wav", go_on).ok());
    const std::uint64_t written = testing::ReadFile(dir / "entry.wav").size();
    const std::uint64_t estimate = FromEnds(c.kind, data);
    // Never less than is written; Speex's may count one packet (160
    // samples) more than its last page's position tells.
    EXPECT_GE(estimate, written);
    EXPECT_LE(estimate, written + (c.kind == kKindSpeex ? 2 * 320u : 0u));
  }
}

TEST(WavEstimate, EntriesThatTellNothingCountNothing) {
  const std::string vorbis = encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                                      encoderkit::SineTone(440, 0.3, 44100, 4410));
  std::string no_channels = vorbis;
  no_channels[28 + 11] = 0;  // the identification header's channel count
  for (const std::string& data :
       {std::string(), std::string("not an Ogg stream"), vorbis.substr(0, 20), vorbis.substr(0, 40),
        no_channels, std::string("OggS") + std::string(100, '\xFF')}) {
    EXPECT_EQ(EstimateWavBytes(kKindVorbis, data, ""), 0u) << data.size();
  }
  // A Vorbis stream is not counted as Speex, nor the other way round.
  EXPECT_EQ(EstimateWavBytes(kKindSpeex, vorbis, ""), 0u);
  EXPECT_GT(EstimateWavBytes(kKindVorbis, vorbis, ""), 0u);
}

}  // namespace
}  // namespace cdsetup::copy
