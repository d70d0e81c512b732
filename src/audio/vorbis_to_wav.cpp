#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>

#include "audio/audio_converter.h"
#include "audio/decoder_guard.h"
#include "audio/input_buffer.h"
#include "audio/output_file.h"
#include "audio/wav_header.h"

namespace cdsetup::audio {

ConversionResult CAudioConverter::VorbisToWav(const char* input_path, const char* output_path) {
  std::FILE* err = m_diag.err;
  // The input is opened first, so that a missing input leaves no empty file.
  std::FILE* input = std::fopen(input_path, "rb");
  if (input == nullptr) {
    std::fprintf(err, "Cannot open input file %s\n", input_path);
    return ConversionResult::kNotSound;
  }
  const InputBuffer input_buffer(input);  // every path below closes the input
  OutputFile output;
  if (!output.Open(output_path)) {
    std::fprintf(err, "Cannot open output file %s\n", output_path);
    std::fclose(input);
    return ConversionResult::kWriteFailed;
  }

  OggVorbis_File vf;
  int opened = -1;
  if (!RunDecoderGuarded([&] { opened = ov_open(input, &vf, nullptr, 0); })) {
    // A division fault leaves the handle's memory as it was (ov_open
    // cleared it first): it is freed as usual, the input with it.
    std::fputs("Input is a damaged Vorbis stream: its headers made the decoder fault.\n", err);
    ov_clear(&vf);
    return output.Close() ? ConversionResult::kNotSound : ConversionResult::kWriteFailed;
  }
  if (opened < 0) {
    // A failed open leaves the file with us, not with the handle.
    std::fputs("Input does not appear to be an Ogg bitstream.\n", err);
    std::fclose(input);
    return output.Close() ? ConversionResult::kNotSound : ConversionResult::kWriteFailed;
  }

  const vorbis_comment* comment = ov_comment(&vf, -1);
  const vorbis_info* info = ov_info(&vf, -1);
  const auto total = static_cast<std::int32_t>(ov_pcm_total(&vf, -1));
  for (int i = 0; i < comment->comments; ++i) std::fprintf(err, "%s\n", comment->user_comments[i]);
  std::fprintf(m_diag.out, "%s\n", input_path);
  std::fprintf(err, "\nBitstream is %d channel, %ldHz\n", info->channels, info->rate);
  std::fprintf(err, "\nDecoded length: %ld samples\n", static_cast<long>(total));
  std::fprintf(err, "Encoded by: %s\n\n", comment->vendor ? comment->vendor : "");

  output.Check(WriteWavHeader(output.get(), static_cast<std::int32_t>(info->rate), info->channels));

  // After opening a chained file, vorbisfile (1.3.7) may stand in the second
  // link when the first one is short; reading starts from the first byte.
  if (ov_streams(&vf) > 1) (void)ov_raw_seek(&vf, 0);

  // Holes and damaged pages come back as negative results: skip them and go
  // on. A write that fails (a full disk) ends the decode: nothing after it
  // could be kept.
  // The samples are decoded straight into the output's buffer, 4096 bytes
  // at most per call as vorbisfile's own loop asks for.
  constexpr int kPiece = 4096;
  int section = 0;
  bool stopped = false;
  std::uint32_t sample_bytes = 0;  // a 32-bit count, as the header holds it
  const bool whole = RunDecoderGuarded([&] {
    while (!output.failed()) {
      if (StopRequested()) {
        stopped = true;
        break;
      }
      const long n = ov_read(&vf, output.Reserve(kPiece), kPiece, 0, 2, 1, &section);
      if (n == 0) break;
      if (n > 0) {
        output.Commit(static_cast<std::size_t>(n));
        sample_bytes += static_cast<std::uint32_t>(n);
      }
    }
  });

  // A damaged stream that made the decoder fault keeps the samples before
  // it, as any damaged stream does. The fault is a division, which wrote
  // nothing: the decoder's memory is whole and freed as usual.
  if (!whole) {
    std::fputs("The stream is damaged: decoding stopped where the decoder faulted.\n", err);
  }
  ov_clear(&vf);  // closes the input
  if (stopped) {
    output.Discard();
    return ConversionResult::kStopped;
  }
  // The sizes go in where the output can seek; a pipe keeps the placeholder.
  if (!output.failed()) output.Check(FinishWavHeader(output.get(), sample_bytes, err));
  if (!output.Close()) {
    std::fprintf(err, "Cannot write output file %s\n", output_path);
    return ConversionResult::kWriteFailed;
  }
  std::fputs("Done.\n", err);
  return ConversionResult::kConverted;
}

}  // namespace cdsetup::audio
