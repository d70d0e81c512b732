#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "audio/audio_converter.h"
#include "encoderkit/ogg_pages.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/audio_fixture.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::audio {
namespace {

using encoderkit::BuildPage;
using encoderkit::EncodeSpeex;
using encoderkit::EncodeSpeexPackets;
using encoderkit::FrameSpeex;
using encoderkit::Join;
using encoderkit::PageLayout;
using encoderkit::SineTone;
using encoderkit::SpeexOptions;
using encoderkit::SpeexPackets;
using testing::Le16At;
using testing::Le32At;

constexpr const char* kNarrowbandMono = "Decoding 8000 Hz audio using narrowband mode (mono )\n";

struct Conversion {
  testing::ScopedTempDir dir;
  testing::CapturedStream err;
  ConversionResult result = ConversionResult::kNotSound;
  std::string input = dir / "Mowa.spx";
  std::string output = dir / "mowa.wav";

  bool Run(const std::string& bytes) {
    testing::WriteFile(input, bytes);
    return Convert();
  }
  bool Convert() {
    CAudioConverter converter(AudioDiagnostics{err.get(), err.get()});
    result = converter.SpeexToWav(input.c_str(), output.c_str());
    return result == ConversionResult::kConverted;
  }
  std::string Wav() const { return testing::ReadFile(output); }
  std::size_t SamplesWritten() const { return (Wav().size() - 44) / 2; }
};

// A quiet tone of `packets` packets of frames_per_packet frames each.
std::vector<float> ToneFor(const SpeexOptions& options, int packets) {
  const int frame = 160 << options.mode;
  const int rate = 8000 << options.mode;
  return SineTone(
      440, 0.3, rate,
      static_cast<std::size_t>(packets * frame * std::max(options.frames_per_packet, 1)));
}

TEST(SpeexToWav, NarrowbandMonoGivesFrameSizeSamplesPerPacketAndPatchedSizes) {
  SpeexOptions options;
  options.comments = {"TITLE=Mowa"};
  constexpr unsigned kPackets = 37;
  Conversion conv;
  ASSERT_TRUE(conv.Run(EncodeSpeex(options, ToneFor(options, kPackets))));
  const std::string wav = conv.Wav();
  ASSERT_EQ(wav.size(), 44u + 320u * kPackets);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32At(wav, 4), 320u * kPackets + 36u);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32At(wav, 16), 16u);
  EXPECT_EQ(Le16At(wav, 20), 1u);
  EXPECT_EQ(Le16At(wav, 22), 1u);
  EXPECT_EQ(Le32At(wav, 24), 8000u);
  EXPECT_EQ(Le32At(wav, 28), 16000u);
  EXPECT_EQ(Le16At(wav, 32), 2u);
  EXPECT_EQ(Le16At(wav, 34), 16u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Le32At(wav, 40), 320u * kPackets);
  EXPECT_EQ(conv.err.Text(), std::string(kNarrowbandMono) + "cdsetup encoder kit\nTITLE=Mowa\n");
}

TEST(SpeexToWav, FramesPerPacketMultiplyAndZeroCountsAsOne) {
  struct Case {
    int encoded_fpp;
    int header_fpp;
    unsigned samples_per_packet;
  };
  for (Case c : {Case{3, 3, 480}, Case{1, 0, 160}, Case{5, 5, 800}}) {
    SCOPED_TRACE("frames per packet in the header: " + std::to_string(c.header_fpp));
    SpeexOptions options;
    options.frames_per_packet = c.encoded_fpp;
    options.header.frames_per_packet = c.header_fpp;
    Conversion conv;
    ASSERT_TRUE(conv.Run(EncodeSpeex(options, ToneFor(options, 9))));
    EXPECT_EQ(conv.SamplesWritten(), 9u * c.samples_per_packet);
    EXPECT_EQ(Le32At(conv.Wav(), 40), 2u * 9u * c.samples_per_packet);
  }
}

TEST(SpeexToWav, EachModeMonoAndStereoGivesItsFrameSizeAndBlockAlign) {
  struct Case {
    int mode;
    int channels;
    unsigned rate;
    unsigned frame;
  };
  for (Case c : {Case{0, 2, 8000, 160}, Case{1, 1, 16000, 320}, Case{1, 2, 16000, 320},
                 Case{2, 1, 32000, 640}, Case{2, 2, 32000, 640}}) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + ", " + std::to_string(c.channels) + " ch");
    SpeexOptions options;
    options.mode = c.mode;
    options.channels = c.channels;
    constexpr unsigned kPackets = 11;
    std::vector<float> samples;
    for (float s : ToneFor(options, kPackets)) samples.insert(samples.end(), c.channels, s);
    Conversion conv;
    ASSERT_TRUE(conv.Run(EncodeSpeex(options, samples)));
    const std::string wav = conv.Wav();
    const unsigned bytes = 2u * c.channels * c.frame * kPackets;
    ASSERT_EQ(wav.size(), 44u + bytes);
    EXPECT_EQ(Le32At(wav, 4), bytes + 36u);
    EXPECT_EQ(Le32At(wav, 40), bytes);
    EXPECT_EQ(Le16At(wav, 22), static_cast<unsigned>(c.channels));
    EXPECT_EQ(Le32At(wav, 24), c.rate);
    EXPECT_EQ(Le32At(wav, 28), 2u * c.channels * c.rate);
    EXPECT_EQ(Le16At(wav, 32), 2u * c.channels);
  }
}

TEST(SpeexToWav, AStreamOfNoAudioGivesTheHeaderWithZeroData) {
  Conversion conv;
  ASSERT_TRUE(conv.Run(EncodeSpeex(SpeexOptions{}, {})));
  const std::string wav = conv.Wav();
  ASSERT_EQ(wav.size(), 44u);
  EXPECT_EQ(Le32At(wav, 4), 36u);
  EXPECT_EQ(Le32At(wav, 40), 0u);
}

TEST(SpeexToWav, ExtraHeadersAreSkippedNotDecoded) {
  SpeexOptions plain;
  SpeexOptions extra;
  extra.extra_header_packets = 3;
  Conversion a, b;
  ASSERT_TRUE(a.Run(EncodeSpeex(plain, ToneFor(plain, 20))));
  ASSERT_TRUE(b.Run(EncodeSpeex(extra, ToneFor(extra, 20))));
  EXPECT_EQ(b.SamplesWritten(), 20u * 160u);
  EXPECT_TRUE(a.Wav() == b.Wav());
  EXPECT_EQ(b.err.Text(), std::string(kNarrowbandMono) + "cdsetup encoder kit\n");
}

TEST(SpeexToWav, LoudInputIsClippedAtPlusAndMinus32000) {
  SpeexOptions options;
  options.quality = 10;
  Conversion conv;
  ASSERT_TRUE(conv.Run(EncodeSpeex(options, encoderkit::SquareTone(200, 1.0, 8000, 160 * 100))));
  const auto samples = testing::Samples16(conv.Wav(), 44);
  ASSERT_EQ(samples.size(), 160u * 100u);
  EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 32000);
  EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), -32000);
  EXPECT_GT(std::count(samples.begin(), samples.end(), 32000), 10);
  EXPECT_GT(std::count(samples.begin(), samples.end(), -32000), 10);
}

// Ten packets of ten frames, about 380 bytes each: long enough to be split
// across pages.
SpeexPackets LongPackets(SpeexOptions* options) {
  options->frames_per_packet = 10;
  return EncodeSpeexPackets(*options, ToneFor(*options, 10));
}

TEST(SpeexToWav, EndOfStreamMarkStopsDecodingMidPage) {
  SpeexOptions options;
  const SpeexPackets p = LongPackets(&options);
  ASSERT_GT(p.audio[4].size(), 255u);
  const int s = options.serial;
  auto page = [s](std::uint32_t seq, std::vector<std::string> pieces) {
    PageLayout layout;
    layout.serial = s;
    layout.sequence = seq;
    layout.pieces = std::move(pieces);
    return layout;
  };
  PageLayout head = page(0, {p.header});
  head.bos = true;
  // Packet 4 starts on the end-of-stream page and ends inside the next one,
  // which goes on with packets 5 and 6; a last page holds packet 7.
  PageLayout marked =
      page(2, {p.audio[0], p.audio[1], p.audio[2], p.audio[3], p.audio[4].substr(0, 255)});
  marked.eos = true;
  marked.last_continues = true;
  PageLayout rest = page(3, {p.audio[4].substr(255), p.audio[5], p.audio[6]});
  rest.continued = true;
  const std::string file = BuildPage(head) + BuildPage(page(1, {p.comments})) + BuildPage(marked) +
                           BuildPage(rest) + BuildPage(page(4, {p.audio[7]}));
  Conversion conv;
  ASSERT_TRUE(conv.Run(file));
  EXPECT_EQ(conv.SamplesWritten(), 5u * 1600u);

  // A marked page in the middle of the file: nothing after it is decoded.
  PageLayout early = page(2, {p.audio[0], p.audio[1]});
  early.eos = true;
  Conversion second;
  ASSERT_TRUE(second.Run(BuildPage(head) + BuildPage(page(1, {p.comments})) + BuildPage(early) +
                         BuildPage(page(3, {p.audio[2], p.audio[3]}))));
  EXPECT_EQ(second.SamplesWritten(), 2u * 1600u);
}

TEST(SpeexToWav, OnlyTheFirstLogicalStreamIsDecoded) {
  SpeexOptions first;
  SpeexOptions other;
  other.mode = 1;
  other.serial = first.serial + 1;
  other.packets_per_page = 1;
  const auto first_pages = FrameSpeex(first, EncodeSpeexPackets(first, ToneFor(first, 30)));
  const auto other_pages = FrameSpeex(other, EncodeSpeexPackets(other, ToneFor(other, 30)));
  Conversion alone;
  ASSERT_TRUE(alone.Run(Join(first_pages)));
  ASSERT_EQ(alone.SamplesWritten(), 30u * 160u);

  Conversion multiplexed;
  ASSERT_TRUE(multiplexed.Run(encoderkit::Interleave(first_pages, other_pages)));
  EXPECT_TRUE(multiplexed.Wav() == alone.Wav());
  Conversion chained;
  ASSERT_TRUE(chained.Run(Join(first_pages) + Join(other_pages)));
  EXPECT_TRUE(chained.Wav() == alone.Wav());
  EXPECT_EQ(chained.err.Text(), std::string(kNarrowbandMono) + "cdsetup encoder kit\n");
}

TEST(SpeexToWav, DamagedAudioPacketsAreReportedAndSkipped) {
  SpeexOptions options;
  SpeexPackets p = EncodeSpeexPackets(options, ToneFor(options, 3));
  struct Case {
    std::string packet;
    const char* message;
  };
  // A frame of sub-mode 9 does not exist; one of sub-mode 8 in two bytes runs
  // past its packet.
  for (const Case& c :
       {Case{"\x48", "Decoding error: corrupted stream?\n"},
        Case{std::string("\x40\x00", 2), "Decoding overflow: corrupted stream?\n"}}) {
    SCOPED_TRACE(c.message);
    SpeexPackets damaged = p;
    damaged.audio[1] = c.packet;
    Conversion conv;
    ASSERT_TRUE(conv.Run(Join(FrameSpeex(options, damaged))));
    EXPECT_EQ(conv.SamplesWritten(), 2u * 160u);
    EXPECT_EQ(conv.err.Text(), std::string(kNarrowbandMono) + "cdsetup encoder kit\n" + c.message);
  }
}

TEST(SpeexToWav, ABrokenPageIsLostAndTheRestDecoded) {
  SpeexOptions options;
  options.packets_per_page = 5;
  std::string file = EncodeSpeex(options, ToneFor(options, 40));
  const auto pages = encoderkit::PageOffsets(file);
  ASSERT_GE(pages.size(), 6u);
  file[pages[3] + 30] ^= 0x20;
  Conversion conv;
  ASSERT_TRUE(conv.Run(file));
  EXPECT_EQ(conv.SamplesWritten(), 35u * 160u);

  Conversion cut;  // a file that ends inside a page
  ASSERT_TRUE(cut.Run(EncodeSpeex(options, ToneFor(options, 40)).substr(0, pages[5] + 20)));
  EXPECT_EQ(cut.SamplesWritten(), 15u * 160u);
}

TEST(SpeexToWav, InputWithoutOggPagesGivesNoOutputButTrue) {
  for (const std::string& bytes :
       {std::string("RIFF\x24\0\0\0WAVEfmt ", 16) + std::string(500, '\x11'), std::string()}) {
    Conversion conv;
    EXPECT_FALSE(conv.Run(bytes));
    EXPECT_EQ(conv.result, ConversionResult::kNotSound);
    EXPECT_FALSE(testing::Exists(conv.output));
    EXPECT_EQ(conv.err.Text(), "This doesn't look like a Speex file\n");
  }
}

TEST(SpeexToWav, UnusableHeadersGiveFalseAndNoOutput) {
  Conversion vorbis;
  EXPECT_FALSE(vorbis.Run(
      encoderkit::EncodeVorbis(encoderkit::VorbisOptions{}, SineTone(440, 0.3, 44100, 4410))));
  EXPECT_FALSE(testing::Exists(vorbis.output));
  EXPECT_EQ(vorbis.err.Text(), "Cannot read header\n");

  struct Case {
    const char* name;
    SpeexOptions options;
  };
  std::vector<Case> cases;
  SpeexOptions o;
  o.header.mode_bitstream_version = 9;
  cases.push_back({"newer bit-stream", o});
  o = {};
  o.header.speex_version_id = 3;
  cases.push_back({"unknown Speex version", o});
  o = {};
  o.header.nb_channels = 6;
  cases.push_back({"six channels", o});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Conversion conv;
    EXPECT_FALSE(conv.Run(EncodeSpeex(c.options, ToneFor(c.options, 5))));
    EXPECT_EQ(conv.result, ConversionResult::kNotSound);
    EXPECT_FALSE(testing::Exists(conv.output));
    EXPECT_EQ(conv.err.Text().find("doesn't look like"), std::string::npos);
  }
}

TEST(SpeexToWav, MissingInputOrUnwritableOutputGivesFalse) {
  Conversion missing;
  EXPECT_FALSE(missing.Convert());
  EXPECT_EQ(missing.err.Text(), "Cannot open input file " + missing.input + "\n");
  EXPECT_FALSE(testing::Exists(missing.output));
  EXPECT_EQ(missing.result, ConversionResult::kNotSound);

  Conversion unwritable;
  unwritable.output = unwritable.dir / "none/mowa.wav";
  EXPECT_FALSE(unwritable.Run(EncodeSpeex(SpeexOptions{}, ToneFor(SpeexOptions{}, 2))));
  EXPECT_EQ(unwritable.result, ConversionResult::kWriteFailed);
  EXPECT_EQ(unwritable.err.Text(),
            std::string(kNarrowbandMono) + "Cannot open output file " + unwritable.output + "\n");
}

TEST(SpeexToWav, AnOutputNameWithoutWavGetsBareSamples) {
  SpeexOptions options;
  const std::string file = EncodeSpeex(options, ToneFor(options, 12));
  Conversion wav;
  ASSERT_TRUE(wav.Run(file));
  for (const char* name : {"mowa.raw", "mowa.Wav", "wav"}) {
    SCOPED_TRACE(name);
    Conversion bare;
    bare.output = bare.dir / name;
    ASSERT_TRUE(bare.Run(file));
    EXPECT_TRUE(bare.Wav() == wav.Wav().substr(44));
  }
}

TEST(SpeexToWav, AnOutputThatCannotSeekKeepsUnknownSizes) {
  SpeexOptions options;
  Conversion conv;
  ASSERT_EQ(::mkfifo(conv.output.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(conv.output, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  const bool ok = conv.Run(EncodeSpeex(options, ToneFor(options, 6)));
  reader.join();
  EXPECT_TRUE(ok);
  ASSERT_EQ(received.size(), 44u + 6u * 320u);
  EXPECT_EQ(Le32At(received, 4), 0x7FFFFFFFu);
  EXPECT_EQ(Le32At(received, 40), 0x7FFFFFFFu);
  EXPECT_EQ(conv.err.Text(), std::string(kNarrowbandMono) + "cdsetup encoder kit\n" +
                                 "Cannot seek on wave file, size will be incorrect\n");
}

}  // namespace
}  // namespace cdsetup::audio
