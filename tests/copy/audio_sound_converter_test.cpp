#include "copy/audio_sound_converter.h"

#include <gtest/gtest.h>

#include "copy/sound_archive_reader.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::copy {
namespace {

const std::atomic<bool> kGoOn{false};

TEST(AudioSoundConverter, ConvertsVorbisAndSpeexEntriesByKind) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  AudioSoundConverter converter(audio::AudioDiagnostics{err.get(), err.get()});
  testing::WriteFile(dir / "Intro.ogg",
                     encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                              encoderkit::SineTone(440, 0.3, 44100, 4410)));
  testing::WriteFile(dir / "Mowa.spx",
                     encoderkit::EncodeSpeex(encoderkit::SpeexOptions{},
                                             encoderkit::SineTone(440, 0.3, 8000, 1600)));
  EXPECT_TRUE(converter.Convert(kKindVorbis, dir / "Intro.ogg", dir / "intro.wav", kGoOn).ok());
  EXPECT_TRUE(converter.Convert(kKindSpeex, dir / "Mowa.spx", dir / "mowa.wav", kGoOn).ok());
  EXPECT_TRUE(converter.Convert(7, dir / "Intro.ogg", dir / "other.wav", kGoOn).ok());

  const std::string vorbis = testing::ReadFile(dir / "intro.wav");
  EXPECT_EQ(vorbis.size(), 44u + 2u * 4410u);
  EXPECT_EQ(testing::Le32At(vorbis, 40), 2u * 4410u);
  const std::string speex = testing::ReadFile(dir / "mowa.wav");
  EXPECT_EQ(speex.size(), 44u + 2u * 1600u);
  EXPECT_EQ(testing::Le32At(speex, 40), 2u * 1600u);
  EXPECT_FALSE(testing::Exists(dir / "other.wav"));
}

TEST(AudioSoundConverter, KeptReportsAreHandedOverOnceAndLeaveNoFile) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  AudioSoundConverter converter(audio::AudioDiagnostics{err.get(), err.get()},
                                AudioSoundConverter::Reports::kKept);
  testing::WriteFile(dir / "Intro.ogg",
                     encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                              encoderkit::SineTone(440, 0.3, 44100, 4410)));
  ASSERT_TRUE(converter.Convert(kKindVorbis, dir / "Intro.ogg", dir / "intro.wav", kGoOn).ok());
  const std::string report = converter.TakeReport(dir / "intro.wav");
  EXPECT_NE(report.find("Bitstream is 1 channel, 44100Hz"), std::string::npos) << report;
  EXPECT_EQ(converter.TakeReport(dir / "intro.wav"), "");
  EXPECT_EQ(converter.TakeReport(dir / "other.wav"), "");
  EXPECT_FALSE(testing::Exists(dir / "intro.wav.report"));
  EXPECT_EQ(err.Text(), "");  // nothing went past the report
}

TEST(AudioSoundConverter, OnlyAnOutputThatWasNotWrittenIsAFailure) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  AudioSoundConverter converter(audio::AudioDiagnostics{err.get(), err.get()});
  testing::WriteFile(dir / "Zla.ogg", "not an Ogg stream");
  // A damaged entry converts to what it can; the copy goes on.
  EXPECT_TRUE(converter.Convert(kKindVorbis, dir / "Zla.ogg", dir / "zla.wav", kGoOn).ok());
  EXPECT_TRUE(converter.Convert(kKindSpeex, dir / "Zla.ogg", dir / "zla2.wav", kGoOn).ok());

  testing::WriteFile(dir / "Intro.ogg",
                     encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                              encoderkit::SineTone(440, 0.3, 44100, 4410)));
  const base::Status unwritable =
      converter.Convert(kKindVorbis, dir / "Intro.ogg", dir / "gone/intro.wav", kGoOn);
  EXPECT_TRUE(unwritable.IsIoError()) << unwritable.ToString();
  EXPECT_NE(unwritable.ToString().find("gone/intro.wav"), std::string::npos);
}

TEST(AudioSoundConverter, AStoppedConversionLeavesNoOutput) {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  AudioSoundConverter converter(audio::AudioDiagnostics{err.get(), err.get()});
  testing::WriteFile(dir / "Intro.ogg",
                     encoderkit::EncodeVorbis(encoderkit::VorbisOptions{},
                                              encoderkit::SineTone(440, 0.3, 44100, 44100)));
  testing::WriteFile(dir / "Mowa.spx",
                     encoderkit::EncodeSpeex(encoderkit::SpeexOptions{},
                                             encoderkit::SineTone(440, 0.3, 8000, 8000)));
  const std::atomic<bool> stop{true};
  const base::Status vorbis =
      converter.Convert(kKindVorbis, dir / "Intro.ogg", dir / "a.wav", stop);
  const base::Status speex = converter.Convert(kKindSpeex, dir / "Mowa.spx", dir / "b.wav", stop);
  EXPECT_EQ(vorbis.kind(), base::Status::Kind::kCancelled) << vorbis.ToString();
  EXPECT_EQ(speex.kind(), base::Status::Kind::kCancelled) << speex.ToString();
  EXPECT_FALSE(testing::Exists(dir / "a.wav"));
  EXPECT_FALSE(testing::Exists(dir / "b.wav"));
  EXPECT_EQ(err.Text().find("doesn't look like"), std::string::npos) << err.Text();
}

}  // namespace
}  // namespace cdsetup::copy
