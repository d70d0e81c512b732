// The first packet of a Speex stream: checks its header against the library,
// creates the decoder with perceptual enhancement and the in-band stereo
// handler, and reports what is being decoded.
#pragma once

#include <ogg/ogg.h>
#include <speex/speex.h>
#include <speex/speex_header.h>
#include <speex/speex_stereo.h>

#include <cstdio>

namespace cdsetup::audio {

/// The largest frame, all channels together, that the converter holds; the
/// largest Speex frame is 640 samples per channel (ultra-wideband).
inline constexpr int kMaxFrameSamples = 2000;

/// What the header step gives back besides the decoder.
struct SpeexStreamParams {
  int frame_size = 0;         // samples per channel per frame, from the decoder
  int rate = 0;               // the header's rate; no resampling is done
  int frames_per_packet = 0;  // as the header says (0 is left to the caller)
  int channels = 0;           // 1 or 2
  int extra_headers = 0;      // packets to skip after the comments
};

/// Checks mode number, Speex version and the mode's bit-stream version of a
/// parsed header. Returns the library's mode, or nullptr after printing why
/// on `err`.
const SpeexMode* CheckSpeexHeader(const SpeexHeader& header, std::FILE* err);

/// Reads the stream header from `packet` and creates the decoder, registering
/// the in-band stereo handler with `stereo` (which must outlive the decoder).
/// On success returns the decoder state (free it with speex_decoder_destroy),
/// fills `params` and prints the "Decoding ..." line on `err`. Returns nullptr
/// after printing why for a packet that is not a usable header, including a
/// channel count other than 1 or 2 or a frame larger than kMaxFrameSamples.
void* ProcessSpeexHeader(const ogg_packet& packet, SpeexStereoState* stereo,
                         SpeexStreamParams* params, std::FILE* err);

}  // namespace cdsetup::audio
