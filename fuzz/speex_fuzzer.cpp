// Feeds arbitrary bytes to the Speex to WAV converter: it must return, stay
// inside its fixed sample buffers, and leave a WAV file whose size fields
// match the samples written whenever it made one.
#include <sys/stat.h>

#include <cstring>

#include "audio_fuzz_input.h"
#include "base/byte_order.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cdsetup::fuzz::AudioFuzzInput io;
  io.Write(data, size);
  cdsetup::audio::CAudioConverter converter(io.diagnostics());
  const bool ok =
      converter.SpeexToWav(io.input(), io.output()) == cdsetup::audio::ConversionResult::kConverted;
  std::FILE* out = std::fopen(io.output(), "rb");
  if (out == nullptr) return 0;
  if (!ok) __builtin_trap();  // a refused stream leaves no output
  unsigned char header[44];
  const std::size_t got = std::fread(header, 1, sizeof header, out);
  std::fseek(out, 0, SEEK_END);
  const long length = std::ftell(out);
  std::fclose(out);
  if (got != sizeof header || std::memcmp(header, "RIFF", 4) != 0) __builtin_trap();
  if (cdsetup::base::LoadLe32(header + 40) != static_cast<std::uint32_t>(length - 44))
    __builtin_trap();
  if (cdsetup::base::LoadLe32(header + 4) != static_cast<std::uint32_t>(length - 8))
    __builtin_trap();
  return 0;
}
