// A disk that fills up during a conversion, at several points of the output:
// the converters say so, and no WAV that looks finished is left behind. The
// limit on the size of files a process may write stands in for the full disk.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/audio_converter.h"
#include "encoderkit/speex_encoder.h"
#include "encoderkit/tone.h"
#include "encoderkit/vorbis_encoder.h"
#include "support/scoped_temp_dir.h"

namespace cdsetup::audio {
namespace {

// While it lives, no file may grow beyond `bytes`: a write past it fails
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*old_handler_)(int) = SIG_DFL;
};

// Diagnostics in memory: a file would meet the limit too.
class MemoryStream {
 public:
  MemoryStream() : file_(open_memstream(&data_, &size_)) {}
  ~MemoryStream() {
    std::fclose(file_);
    std::free(data_);
  }
  MemoryStream(const MemoryStream&) = delete;
  MemoryStream& operator=(const MemoryStream&) = delete;
  std::FILE* get() const { return file_; }
  std::string Text() {
    std::fflush(file_);
    return std::string(data_, size_);
  }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_;
};

struct Kind {
  const char* name;
  std::string input;
  bool speex;
};

ConversionResult Convert(const Kind& kind, const std::string& in, const std::string& out,
                         MemoryStream& err) {
  CAudioConverter converter(AudioDiagnostics{err.get(), err.get()});
  return kind.speex ? converter.SpeexToWav(in.c_str(), out.c_str())
                    : converter.VorbisToWav(in.c_str(), out.c_str());
}

TEST(FullDisk, AConversionThatCannotWriteItsWavFailsAndLeavesNoWav) {
  encoderkit::VorbisOptions vorbis;
  vorbis.channels = 2;
  encoderkit::SpeexOptions speex;
  speex.mode = 1;
  const Kind kinds[] = {
      {"Vorbis",
       encoderkit::EncodeVorbis(vorbis, encoderkit::StereoSineTone(440, 660, 0.3, 44100, 60000)),
       false},
      {"Speex", encoderkit::EncodeSpeex(speex, encoderkit::SineTone(440, 0.3, 16000, 120000)),
       true}};
  for (const Kind& kind : kinds) {
    testing::ScopedTempDir dir;
    const std::string in = dir / "in.ogg";
    const std::string out = dir / "out.wav";
    testing::WriteFile(in, kind.input);
    MemoryStream unlimited_err;
    ASSERT_EQ(Convert(kind, in, out, unlimited_err), ConversionResult::kConverted) << kind.name;
    const auto full = static_cast<rlim_t>(testing::ReadFile(out).size());
    ASSERT_GT(full, 3u * 65536u) << "the output spans several buffers";
    std::remove(out.c_str());

    // In the header, after it, after the first buffer, half-way, and at the
    // last byte, which only the closing flush writes.
    for (rlim_t limit :
         {rlim_t{0}, rlim_t{20}, rlim_t{100}, rlim_t{65536 + 10}, full / 2, full - 1}) {
      SCOPED_TRACE(std::string(kind.name) + ", room for " + std::to_string(limit) + " bytes");
      MemoryStream err;
      ConversionResult result;
      {
        FileSizeLimit disk(limit);
        result = Convert(kind, in, out, err);
      }
      EXPECT_EQ(result, ConversionResult::kWriteFailed);
      EXPECT_FALSE(testing::Exists(out));
      const std::string text = err.Text();
      EXPECT_NE(text.find("Cannot write output file " + out + "\n"), std::string::npos) << text;
      EXPECT_EQ(text.find("Done."), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace cdsetup::audio
