// The wavconvert command as a user runs it: the WAV it writes is the one the
// installer's converter writes, and its exit status says what happened.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "audio/audio_converter.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup {
namespace {

int Wavconvert(const std::string& args) {
  const int raw = std::system((std::string(WAVCONVERT_PATH) + " " + args + " 2>/dev/null").c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(Wavconvert, WritesWhatTheConverterWritesAndSaysHowItWent) {
  testing::ScopedTempDir dir;
  testing::WriteFile(dir / "a.ogg",
                     encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                              encoderkit::SineTone(440, 0.3, 44100, 8000)));
  testing::WriteFile(dir / "b.spx",
                     encoderkit::EncodeSpeex(encoderkit::SpeexOptions{},
                                             encoderkit::SineTone(440, 0.3, 8000, 4000)));
  testing::CapturedStream err;
  audio::CAudioConverter converter(audio::AudioDiagnostics{err.get(), err.get()});
  ASSERT_EQ(converter.VorbisToWav((dir / "a.ogg").c_str(), (dir / "a-in.wav").c_str()),
            audio::ConversionResult::kConverted);
  ASSERT_EQ(converter.SpeexToWav((dir / "b.spx").c_str(), (dir / "b-in.wav").c_str()),
            audio::ConversionResult::kConverted);

  EXPECT_EQ(Wavconvert("-Q vorbis '" + dir / "a.ogg" + "' '" + dir / "a.wav" + "'"), 0);
  EXPECT_EQ(Wavconvert("speex '" + dir / "b.spx" + "' '" + dir / "b.wav" + "'"), 0);
  EXPECT_TRUE(testing::ReadFile(dir / "a.wav") == testing::ReadFile(dir / "a-in.wav"));
  EXPECT_TRUE(testing::ReadFile(dir / "b.wav") == testing::ReadFile(dir / "b-in.wav"));

  EXPECT_EQ(Wavconvert("vorbis '" + dir / "b.spx" + "' '" + dir / "x.wav" + "'"), 1);  // not Vorbis
  EXPECT_EQ(Wavconvert("vorbis '" + dir / "a.ogg" + "' '" + dir / "none/x.wav" + "'"), 2);
  EXPECT_EQ(Wavconvert("flac a b"), 3);
  EXPECT_EQ(Wavconvert("vorbis only-one"), 3);
  EXPECT_EQ(Wavconvert("--help"), 0);
}

}  // namespace
}  // namespace cdsetup
