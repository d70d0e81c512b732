// Encodes Ogg Vorbis fixtures in-process with libvorbisenc: any channel count
// and rate the library takes, with user comments, one logical stream per call
// (lay two calls' pages end to end for a chained file).
#pragma once

#include <string>
#include <vector>

namespace cdsetup::encoderkit {

struct VorbisOptions {
  int rate = 44100;
  int channels = 1;
  float quality = 0.4f;  // libvorbisenc VBR quality, -0.1 to 1.0
  int serial = 0x766F;
  std::vector<std::string> comments;  // "TITLE=..." and the like
  int packets_per_page = 0;           // 0: pages of about 4 KB, as libogg cuts them
};

/// The pages of one Ogg Vorbis stream holding `samples` (interleaved, in
/// [-1, 1], samples.size() / channels frames). Empty when the library
/// refuses the options.
std::vector<std::string> EncodeVorbisPages(const VorbisOptions& options,
                                           const std::vector<float>& samples);

/// EncodeVorbisPages laid end to end: the bytes of an .ogg file.
std::string EncodeVorbis(const VorbisOptions& options, const std::vector<float>& samples);

}  // namespace cdsetup::encoderkit
