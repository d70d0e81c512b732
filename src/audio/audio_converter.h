// Converts the compressed sound files of the medium into 16-bit PCM WAV
// files: Ogg Vorbis through vorbisfile, Ogg Speex through libogg and libspeex.
// One converter object serves one archive entry; no state survives a call.
#pragma once

#include <atomic>

#include "audio/diagnostics.h"

namespace cdsetup::audio {

enum class ConversionResult {
  kConverted,    // decoded to the end of the input
  kNotSound,     // the input is missing or no stream of the kind: nothing to convert
  kWriteFailed,  // the output could not be created or written whole: it is gone
  kStopped       // asked to stop before the end: the output is gone
};

class CAudioConverter {
 public:
  /// Diagnostics go to the process's standard error and output streams.
  CAudioConverter() = default;
  /// Diagnostics go to `diagnostics` instead (neither stream is closed).
  explicit CAudioConverter(AudioDiagnostics diagnostics) : m_diag(diagnostics) {}
  /// Also: a conversion stops soon after `stop` is set (from another thread),
  /// removes its output and returns kStopped. `stop` must outlive the calls.
  CAudioConverter(AudioDiagnostics diagnostics, const std::atomic<bool>& stop)
      : m_diag(diagnostics), m_stop(&stop) {}
  virtual ~CAudioConverter() = default;

  /// Decodes the Ogg Vorbis file `input_path` into a WAV file at
  /// `output_path` (created or truncated). The header names the first link's
  /// channels and rate; its size fields are patched at the end, and keep
  /// 0x7FFFFFFF where the output cannot seek. Every link of a chained file is
  /// decoded after the first. Damaged pages are skipped.
  /// kNotSound, with nothing created, when the input cannot be opened;
  /// kNotSound, leaving an empty output, when the input is not an Ogg Vorbis
  /// stream; kWriteFailed, with no output left, when the output cannot be
  /// opened or a write, the flush or the close fails; kConverted otherwise.
  ConversionResult VorbisToWav(const char* input_path, const char* output_path);

  /// Decodes the first logical stream of the Ogg Speex file `input_path`.
  /// When `output_path` ends in ".wav" or ".WAV" the samples follow a WAV
  /// header whose size fields are patched at the end; otherwise the output
  /// holds bare 16-bit little-endian samples. Samples are clipped at +-32000
  /// and rounded half up. kNotSound with no output created when the input
  /// cannot be opened or the first packet is not a usable Speex header (its
  /// reason is printed), and when it holds no packet at all ("This doesn't
  /// look like a Speex file" is printed). kWriteFailed,
  /// with no output left, when the output cannot be opened or a write, the
  /// flush or the close fails; kConverted otherwise.
  ConversionResult SpeexToWav(const char* input_path, const char* output_path);

 private:
  bool StopRequested() const {
    return m_stop != nullptr && m_stop->load(std::memory_order_relaxed);
  }

  AudioDiagnostics m_diag;
  const std::atomic<bool>* m_stop = nullptr;
};

}  // namespace cdsetup::audio
