// Shared by the converter fuzz targets: each input is written to a file in a
// private scratch directory (the converters take paths), converted there,
// and its diagnostics discarded.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/audio_converter.h"

namespace cdsetup::fuzz {

class AudioFuzzInput {
 public:
  AudioFuzzInput() {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string templ = base + "/cdsetup-fuzz-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) std::abort();
    dir_ = templ;
    input_ = dir_ + "/in.snd";
    output_ = dir_ + "/out.wav";
    null_ = std::fopen("/dev/null", "w");
  }
  // libFuzzer ends its run with exit(): the scratch directory goes with it.
  ~AudioFuzzInput() {
    std::remove(input_.c_str());
    std::remove(output_.c_str());
    ::rmdir(dir_.c_str());
    if (null_ != nullptr) std::fclose(null_);
  }
  AudioFuzzInput(const AudioFuzzInput&) = delete;
  AudioFuzzInput& operator=(const AudioFuzzInput&) = delete;

  const char* input() const { return input_.c_str(); }
  const char* output() const { return output_.c_str(); }
  audio::AudioDiagnostics diagnostics() const { return {null_, null_}; }

  void Write(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(input_.c_str(), "wb");
    if (f == nullptr) std::abort();
    if (size != 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
    std::remove(output_.c_str());
  }

 private:
  std::string dir_, input_, output_;
  std::FILE* null_;
};

}  // namespace cdsetup::fuzz
