#include "audio/wav_header.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "support/audio_fixture.h"

namespace cdsetup::audio {
namespace {

using testing::CapturedStream;
using testing::Le16At;
using testing::Le32At;

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string bytes;
  char buffer[256];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.append(buffer, n);
  return bytes;
}

TEST(WavHeader, WritesEveryFieldForMonoAndStereoAtSeveralRates) {
  struct Case {
    int rate;
    int channels;
  };
  for (Case c : {Case{8000, 1}, Case{16000, 2}, Case{22050, 1}, Case{44100, 2}, Case{48000, 1}}) {
    SCOPED_TRACE(std::to_string(c.rate) + " Hz, " + std::to_string(c.channels) + " channels");
    std::FILE* file = std::tmpfile();
    WriteWavHeader(file, c.rate, c.channels);
    const std::string h = Contents(file);
    std::fclose(file);
    ASSERT_EQ(h.size(), 44u);
    EXPECT_EQ(h.substr(0, 4), "RIFF");
    EXPECT_EQ(Le32At(h, 4), 0x7FFFFFFFu);
    EXPECT_EQ(h.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(Le32At(h, 16), 16u);
    EXPECT_EQ(Le16At(h, 20), 1u);
    EXPECT_EQ(Le16At(h, 22), static_cast<unsigned>(c.channels));
    EXPECT_EQ(Le32At(h, 24), static_cast<unsigned>(c.rate));
    EXPECT_EQ(Le32At(h, 28), static_cast<unsigned>(c.rate * c.channels * 2));
    EXPECT_EQ(Le16At(h, 32), static_cast<unsigned>(c.channels * 2));
    EXPECT_EQ(Le16At(h, 34), 16u);
    EXPECT_EQ(h.substr(36, 4), "data");
    EXPECT_EQ(Le32At(h, 40), 0x7FFFFFFFu);
  }
}

TEST(WavHeader, SixteenBitFieldsTakeTheLowBitsOfHostileValues) {
  std::FILE* file = std::tmpfile();
  WriteWavHeader(file, 0x12345678, 0x10003);
  const std::string h = Contents(file);
  std::fclose(file);
  EXPECT_EQ(Le16At(h, 22), 3u);
  EXPECT_EQ(Le32At(h, 24), 0x12345678u);
  EXPECT_EQ(Le32At(h, 28), static_cast<std::uint32_t>(0x12345678u * 0x10003u * 2u));
  EXPECT_EQ(Le16At(h, 32), 6u);
}

TEST(WavHeader, FinishPatchesBothSizesAndTouchesNothingElse) {
  std::FILE* file = std::tmpfile();
  WriteWavHeader(file, 8000, 1);
  const std::string samples(1000, '\x5A');
  std::fwrite(samples.data(), 1, samples.size(), file);
  CapturedStream err;
  FinishWavHeader(file, 1000, err.get());
  EXPECT_EQ(std::ftell(file), 44);
  const std::string bytes = Contents(file);
  std::fclose(file);

  ASSERT_EQ(bytes.size(), 1044u);
  EXPECT_EQ(Le32At(bytes, 4), 1036u);
  EXPECT_EQ(Le32At(bytes, 40), 1000u);
  EXPECT_EQ(bytes.substr(44), samples);
  EXPECT_EQ(err.Text(), "");
}

TEST(WavHeader, FinishOnAPipeReportsTheFirstSeekOnly) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::string received;
  std::thread reader([&] {
    char buffer[256];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
      received.append(buffer, static_cast<std::size_t>(n));
    }
  });
  std::FILE* file = ::fdopen(fds[1], "wb");
  WriteWavHeader(file, 8000, 2);
  std::fwrite("abcd", 1, 4, file);
  CapturedStream err;
  FinishWavHeader(file, 4, err.get());
  std::fclose(file);
  reader.join();
  ::close(fds[0]);

  EXPECT_EQ(err.Text(), "Cannot seek on wave file, size will be incorrect\n");
  ASSERT_EQ(received.size(), 48u);
  EXPECT_EQ(Le32At(received, 4), 0x7FFFFFFFu);
  EXPECT_EQ(Le32At(received, 40), 0x7FFFFFFFu);
  EXPECT_EQ(received.substr(44), "abcd");
}

TEST(WavHeader, OnlyLowerOrUpperCaseWavSuffixCounts) {
  EXPECT_TRUE(HasWavSuffix("a.wav"));
  EXPECT_TRUE(HasWavSuffix("DIR/B.WAV"));
  EXPECT_TRUE(HasWavSuffix(".wav"));
  EXPECT_FALSE(HasWavSuffix("a.Wav"));
  EXPECT_FALSE(HasWavSuffix("a.wav.raw"));
  EXPECT_FALSE(HasWavSuffix("wav"));
  EXPECT_FALSE(HasWavSuffix(""));
  EXPECT_FALSE(HasWavSuffix("a.raw"));
}

}  // namespace
}  // namespace cdsetup::audio
