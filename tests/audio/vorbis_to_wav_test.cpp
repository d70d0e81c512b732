#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "audio/audio_converter.h"
#include "encoderkit/ogg_pages.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::audio {
namespace {

using encoderkit::EncodeVorbis;
using encoderkit::EncodeVorbisPages;
using encoderkit::SineTone;
using encoderkit::VorbisOptions;
using testing::Le16At;
using testing::Le32At;

// One conversion in a scratch directory, with its diagnostics captured.
struct Conversion {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  testing::CapturedStream out;
  ConversionResult result = ConversionResult::kNotSound;
  std::string input = dir / "Intro.ogg";
  std::string output = dir / "intro.wav";

  bool Run(const std::string& bytes) {
    testing::WriteFile(input, bytes);
    return Convert();
  }
  bool Convert() {
    CAudioConverter converter(AudioDiagnostics{err.get(), out.get()});
    result = converter.VorbisToWav(input.c_str(), output.c_str());
    return result == ConversionResult::kConverted;
  }
  std::string Wav() const { return testing::ReadFile(output); }
};

TEST(VorbisToWav, HeaderNamesTheStreamAndItsSizes) {
  struct Case {
    int rate;
    int channels;
  };
  for (Case c : {Case{44100, 1}, Case{44100, 2}, Case{22050, 1}, Case{48000, 2}, Case{8000, 1}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
    VorbisOptions options;
    options.rate = c.rate;
    options.channels = c.channels;
    const std::string ogg = EncodeVorbis(
        options, std::vector<float>(static_cast<std::size_t>(c.rate / 2 * c.channels), 0.0f));
    Conversion conv;
    ASSERT_TRUE(conv.Run(ogg));
    const std::string wav = conv.Wav();
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(Le32At(wav, 4), wav.size() - 8);
    EXPECT_EQ(Le32At(wav, 40), wav.size() - 44);
    EXPECT_EQ(Le16At(wav, 22), static_cast<unsigned>(c.channels));
    EXPECT_EQ(Le32At(wav, 24), static_cast<unsigned>(c.rate));
    EXPECT_EQ(Le32At(wav, 28), static_cast<unsigned>(2 * c.rate * c.channels));
    EXPECT_EQ(Le16At(wav, 32), static_cast<unsigned>(2 * c.channels));
    EXPECT_EQ(Le16At(wav, 34), 16u);
  }
}

TEST(VorbisToWav, AnOutputThatCannotSeekKeepsUnknownSizes) {
  Conversion conv;
  ASSERT_EQ(::mkfifo(conv.output.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(conv.output, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  const bool ok = conv.Run(EncodeVorbis(VorbisOptions{}, SineTone(440, 0.3, 44100, 4410)));
  reader.join();
  EXPECT_TRUE(ok) << conv.err.Text();
  ASSERT_EQ(received.size(), 44u + 2u * 4410u);
  EXPECT_EQ(Le32At(received, 4), 0x7FFFFFFFu);
  EXPECT_EQ(Le32At(received, 40), 0x7FFFFFFFu);
  EXPECT_NE(conv.err.Text().find("Cannot seek on wave file, size will be incorrect\n"),
            std::string::npos);
}

TEST(VorbisToWav, WritesEveryDecodedSampleAfterTheHeader) {
  VorbisOptions options;
  options.channels = 2;
  const std::string ogg =
      EncodeVorbis(options, encoderkit::StereoSineTone(440, 1000, 0.5, 44100, 30000));
  Conversion conv;
  ASSERT_TRUE(conv.Run(ogg));
  const std::string wav = conv.Wav();
  const std::string bare = testing::BareVorbisDecode(ogg);
  EXPECT_EQ(wav.size(), 44u + 4u * 30000u);
  EXPECT_TRUE(wav.substr(44) == bare) << "differs from a bare decode";
}

TEST(VorbisToWav, ReportsCommentsPathLengthAndVendor) {
  VorbisOptions options;
  options.rate = 22050;
  options.comments = {"TITLE=Intro", "ARTIST=Torvanel"};
  Conversion conv;
  ASSERT_TRUE(conv.Run(EncodeVorbis(options, SineTone(440, 0.3, 22050, 11025))));
  const std::string err = conv.err.Text();
  const std::string prefix =
      "TITLE=Intro\nARTIST=Torvanel\n\nBitstream is 1 channel, 22050Hz\n\nDecoded length: 11025 "
      "samples\nEncoded by: ";
  EXPECT_EQ(err.substr(0, prefix.size()), prefix);
  EXPECT_NE(err.find("Xiph.Org libVorbis"), std::string::npos);
  EXPECT_EQ(err.substr(err.size() - 8), "\n\nDone.\n");
  EXPECT_EQ(conv.out.Text(), conv.input + "\n");
}

TEST(VorbisToWav, AStreamOfNoSamplesGivesTheBareHeader) {
  Conversion conv;
  ASSERT_TRUE(conv.Run(EncodeVorbis(VorbisOptions{}, {})));
  const std::string wav = conv.Wav();
  EXPECT_EQ(wav.size(), 44u);
  EXPECT_EQ(Le32At(wav, 4), 36u);
  EXPECT_EQ(Le32At(wav, 40), 0u);
}

TEST(VorbisToWav, ChainedLinksAreDecodedUnderTheFirstHeader) {
  VorbisOptions first;
  first.rate = 44100;
  first.channels = 1;
  // vorbisfile skips a first link that fits on one page when it can seek, so
  // the first link spans several.
  first.packets_per_page = 8;
  VorbisOptions second;
  second.rate = 22050;
  second.channels = 1;
  second.serial = first.serial + 1;
  const std::string ogg = EncodeVorbis(first, SineTone(440, 0.3, 44100, 20000)) +
                          EncodeVorbis(second, SineTone(440, 0.3, 22050, 8000));
  Conversion conv;
  ASSERT_TRUE(conv.Run(ogg));
  const std::string wav = conv.Wav();
  EXPECT_EQ(Le32At(wav, 24), 44100u);
  EXPECT_EQ(wav.size(), 44u + 2u * (20000u + 8000u));
  EXPECT_NE(conv.err.Text().find("\nDecoded length: 28000 samples\n"), std::string::npos);
}

TEST(VorbisToWav, AShortFirstLinkIsDecodedBeforeTheNext) {
  // A first link on one or two pages, as short sounds are cut: the seekable
  // open of vorbisfile would start reading in the second link.
  for (int first_samples : {300, 2000, 6000, 15000, 40000}) {
    SCOPED_TRACE(std::to_string(first_samples) + " samples in the first link");
    VorbisOptions first;
    first.rate = 22050;
    first.channels = 1;
    VorbisOptions second;
    second.rate = 44100;
    second.channels = 2;
    second.serial = first.serial + 1;
    const std::string one = EncodeVorbis(first, SineTone(440, 0.3, 22050, first_samples));
    const std::string two =
        EncodeVorbis(second, encoderkit::StereoSineTone(330, 660, 0.3, 44100, 10000));
    Conversion conv;
    ASSERT_TRUE(conv.Run(one + two));
    const std::string wav = conv.Wav();
    EXPECT_EQ(Le32At(wav, 24), 22050u);
    EXPECT_EQ(Le16At(wav, 22), 1u);
    ASSERT_EQ(wav.size(), 44u + 2u * first_samples + 4u * 10000u);
    EXPECT_TRUE(wav.substr(44) == testing::BareVorbisDecode(one) + testing::BareVorbisDecode(two))
        << "the links' samples differ from each link decoded alone";
  }
}

TEST(VorbisToWav, SkipsADamagedPageAndDecodesTheRest) {
  VorbisOptions options;
  options.packets_per_page = 8;
  const std::string clean = EncodeVorbis(options, SineTone(440, 0.3, 44100, 100000));
  const auto pages = encoderkit::PageOffsets(clean);
  ASSERT_GT(pages.size(), 6u);
  std::string damaged = clean;
  damaged[pages[4] + 40] ^= 0x55;  // the checksum no longer matches: a hole
  Conversion conv;
  ASSERT_TRUE(conv.Run(damaged));
  const std::size_t samples = (conv.Wav().size() - 44) / 2;
  EXPECT_LT(samples, 100000u);
  EXPECT_GT(samples, 50000u);
}

// A stream the fuzzer found: its setup makes libvorbis 1.3.7 divide by zero
// while decoding (SIGFPE). On a worker thread, as the copy converts, only
// that decoding ends; the WAV keeps its header, and the process goes on.
TEST(VorbisToWav, AStreamThatMakesTheDecoderDivideByZeroEndsOnlyItsDecoding) {
  std::ifstream file(
      std::string(CDSETUP_TEST_DATA_DIR) + "/audio/data/vorbis_decoder_divides_by_zero.ogg",
      std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);
  for (int run = 0; run < 2; ++run) {  // the guard serves again after a fault
    Conversion conv;
    bool converted = false;
    std::thread worker([&] { converted = conv.Run(bytes); });
    worker.join();
    EXPECT_TRUE(converted);
    EXPECT_EQ(conv.result, ConversionResult::kConverted);
    const std::string wav = conv.Wav();
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(Le32At(wav, 40), wav.size() - 44);  // the sizes match what was kept
    EXPECT_NE(conv.err.Text().find("decoding stopped where the decoder faulted"), std::string::npos)
        << conv.err.Text();
  }
  // A division by zero outside a decoding still ends the process.
  EXPECT_DEATH(
      {
        volatile int seven = 7;  // volatile: no division the compiler can spare
        volatile int zero = 0;
        std::printf("%d\n", seven / zero);
      },
      "");
}

TEST(VorbisToWav, InputThatIsNotOggGivesFalseAndAnEmptyOutput) {
  for (const std::string& bytes :
       {std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(200, '\0'), std::string()}) {
    Conversion conv;
    EXPECT_FALSE(conv.Run(bytes));
    EXPECT_EQ(conv.result, ConversionResult::kNotSound);
    EXPECT_TRUE(testing::Exists(conv.output));
    EXPECT_EQ(conv.Wav(), "");
    EXPECT_EQ(conv.err.Text(), "Input does not appear to be an Ogg bitstream.\n");
    EXPECT_EQ(conv.out.Text(), "");
  }
}

TEST(VorbisToWav, MissingInputOrUnwritableOutputGivesFalseAndNoFile) {
  Conversion missing;
  EXPECT_FALSE(missing.Convert());
  EXPECT_FALSE(testing::Exists(missing.output));
  EXPECT_EQ(missing.result, ConversionResult::kNotSound);
  EXPECT_EQ(missing.err.Text(), "Cannot open input file " + missing.input + "\n");

  Conversion unwritable;
  unwritable.output = unwritable.dir / "no/such/dir/intro.wav";
  EXPECT_FALSE(unwritable.Run(EncodeVorbis(VorbisOptions{}, SineTone(440, 0.3, 44100, 1000))));
  EXPECT_EQ(unwritable.result, ConversionResult::kWriteFailed);
  EXPECT_EQ(unwritable.err.Text(), "Cannot open output file " + unwritable.output + "\n");
}

}  // namespace
}  // namespace cdsetup::audio
