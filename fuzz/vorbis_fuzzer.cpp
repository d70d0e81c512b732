// Feeds arbitrary bytes to the Vorbis to WAV converter: it must return, read
// and write only inside its buffers, and write a header-sized file at least
// whenever it reports success.
#include <sys/stat.h>

#include "audio_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static cdsetup::fuzz::AudioFuzzInput io;
  io.Write(data, size);
  cdsetup::audio::CAudioConverter converter(io.diagnostics());
  const auto result = converter.VorbisToWav(io.input(), io.output());
  // The scratch directory always takes the output.
  if (result == cdsetup::audio::ConversionResult::kWriteFailed) __builtin_trap();
  const bool ok = result == cdsetup::audio::ConversionResult::kConverted;
  struct stat st {};
  if (::stat(io.output(), &st) != 0) __builtin_trap();  // created in every case
  if (ok && st.st_size < 44) __builtin_trap();
  if (!ok && st.st_size != 0) __builtin_trap();
  return 0;
}
