// Converts one archive entry with the installer's own converters, in the
// check's scratch directory, and tells whether it decoded cleanly: what
// failed, after the converters' own messages, and the size of the WAV.
// Nothing of it is kept.
#pragma once

#include <cstdint>
#include <string>

#include "base/result.h"
#include "check/scratch_dir.h"
#include "platform/platform.h"

namespace cdsetup::check {

struct SoundCheck {
  bool clean = false;
  std::string problem;          // what failed, when not clean
  std::uint64_t wav_bytes = 0;  // the WAV file the entry becomes
};

class SoundProbe {
 public:
  /// Works in `scratch`, which must outlive the probe.
  explicit SoundProbe(const ScratchDir& scratch) : scratch_(scratch) {}

  /// The file the entry's bytes go to before Convert, created or emptied.
  base::Result<platform::FilePtr> OpenInput() const;

  /// Converts what was written to the input: kind 0 with VorbisToWav, kind 1
  /// with SpeexToWav. Not clean when the converter finds no stream of the
  /// kind (with its reason), when a Speex frame or the comments are damaged,
  /// or when a Vorbis stream gives fewer or more samples than it declares
  /// (damaged pages are skipped). The input and the WAV are removed after.
  SoundCheck Convert(std::uint32_t kind) const;

 private:
  const ScratchDir& scratch_;
};

}  // namespace cdsetup::check
