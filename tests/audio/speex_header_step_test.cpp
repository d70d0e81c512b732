#include "audio/speex_header_step.h"

#include <gtest/gtest.h>

#include <string>

#include "encoderkit/speex_encoder.h"
#include "support/audio_fixture.h"

namespace cdsetup::audio {
namespace {

using encoderkit::SpeexOptions;
using testing::CapturedStream;

struct StepOutcome {
  bool decoder = false;
  SpeexStreamParams params;
  std::string messages;
};

StepOutcome RunStep(std::string packet_bytes) {
  ogg_packet packet{};
  packet.packet = reinterpret_cast<unsigned char*>(packet_bytes.data());
  packet.bytes = static_cast<long>(packet_bytes.size());
  SpeexStereoState stereo = {1.0f, 0.5f, 1.0f, 1.0f, 0, 0};
  CapturedStream err;
  StepOutcome outcome;
  void* state = ProcessSpeexHeader(packet, &stereo, &outcome.params, err.get());
  outcome.decoder = state != nullptr;
  if (state != nullptr) speex_decoder_destroy(state);
  outcome.messages = err.Text();
  return outcome;
}

StepOutcome RunStep(const SpeexOptions& options) {
  return RunStep(encoderkit::EncodeSpeexPackets(options, {}).header);
}

TEST(SpeexHeader, AcceptsEachModeAndReportsWhatItDecodes) {
  struct Case {
    int mode;
    int channels;
    bool vbr;
    int frame_size;
    const char* line;
  };
  const Case cases[] = {
      {0, 1, false, 160, "Decoding 8000 Hz audio using narrowband mode (mono )\n"},
      {1, 2, false, 320, "Decoding 16000 Hz audio using wideband (sub-band CELP) mode (stereo)\n"},
      {2, 1, true, 640,
       "Decoding 32000 Hz audio using ultra-wideband (sub-band CELP) mode (mono , VBR)\n"},
      {0, 2, true, 160, "Decoding 8000 Hz audio using narrowband mode (stereo, VBR)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    SpeexOptions options;
    options.mode = c.mode;
    options.channels = c.channels;
    options.vbr = c.vbr;
    options.frames_per_packet = 3;
    options.extra_header_packets = 2;
    const StepOutcome out = RunStep(options);
    ASSERT_TRUE(out.decoder);
    EXPECT_EQ(out.messages, c.line);
    EXPECT_EQ(out.params.frame_size, c.frame_size);
    EXPECT_EQ(out.params.channels, c.channels);
    EXPECT_EQ(out.params.frames_per_packet, 3);
    EXPECT_EQ(out.params.extra_headers, 2);
  }
}

TEST(SpeexHeader, TakesTheRateFromTheHeaderWithoutResampling) {
  SpeexOptions options;
  options.header.rate = 11025;
  const StepOutcome out = RunStep(options);
  ASSERT_TRUE(out.decoder);
  EXPECT_EQ(out.params.rate, 11025);
  EXPECT_EQ(out.messages, "Decoding 11025 Hz audio using narrowband mode (mono )\n");
}

TEST(SpeexHeader, RefusesUnusableHeadersWithTheirReason) {
  struct Case {
    const char* name;
    SpeexOptions options;
    const char* message;
  };
  std::vector<Case> cases;
  SpeexOptions o;
  o.header.mode = 3;  // the library itself refuses an unknown mode
  cases.push_back({"mode 3", o, "Cannot read header\n"});
  o = {};
  o.header.speex_version_id = 2;
  cases.push_back({"version id 2", o,
                   "This file was encoded with Speex bit-stream version 2, which I don't know how "
                   "to decode\n"});
  o = {};
  o.header.mode_bitstream_version = 5;
  cases.push_back({"newer bit-stream", o,
                   "The file was encoded with a newer version of Speex. You need to upgrade in "
                   "order to play it.\n"});
  o = {};
  o.header.mode_bitstream_version = 3;
  cases.push_back({"older bit-stream", o,
                   "The file was encoded with an older version of Speex. You would need to "
                   "downgrade the version in order to play it.\n"});
  o = {};
  o.header.nb_channels = 3;
  cases.push_back({"three channels", o, "Cannot decode a stream of 3 channels\n"});
  o = {};
  o.header.nb_channels = 0;
  cases.push_back({"no channel", o, "Cannot decode a stream of 0 channels\n"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const StepOutcome out = RunStep(c.options);
    EXPECT_FALSE(out.decoder);
    EXPECT_EQ(out.messages, c.message);
  }
}

TEST(SpeexHeader, RefusesPacketsThatAreNoSpeexHeader) {
  EXPECT_EQ(RunStep(std::string("\x01vorbis", 7) + std::string(80, '\0')).messages,
            "Cannot read header\n");
  std::string truncated = encoderkit::EncodeSpeexPackets(SpeexOptions{}, {}).header;
  truncated.resize(60);
  EXPECT_FALSE(RunStep(truncated).decoder);
  EXPECT_FALSE(RunStep("").decoder);
}

TEST(SpeexHeader, ChecksModeNumberBeforeTheLibraryTable) {
  // The library refuses such headers while parsing, so the check is reached
  // only with a parsed header of another source.
  SpeexHeader header;
  speex_init_header(&header, 8000, 1, &speex_nb_mode);
  CapturedStream err;
  header.mode = 7;
  EXPECT_EQ(CheckSpeexHeader(header, err.get()), nullptr);
  header.mode = -1;
  EXPECT_EQ(CheckSpeexHeader(header, err.get()), nullptr);
  EXPECT_EQ(err.Text(),
            "Mode number 7 does not (yet/any longer) exist in this version\n"
            "Mode number -1 does not (yet/any longer) exist in this version\n");
  header.mode = 1;
  EXPECT_EQ(CheckSpeexHeader(header, err.get()), speex_mode_list[1]);
}

}  // namespace
}  // namespace cdsetup::audio
