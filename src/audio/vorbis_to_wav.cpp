#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "audio/audio_converter.h"
#include "audio/wav_header.h"

namespace cdsetup::audio {

namespace {

// Calls never overlap (one conversion at a time on one thread), so the PCM
// buffer need not live on the stack.
char g_pcm[4096];

}  // namespace

bool CAudioConverter::VorbisToWav(const char* input_path, const char* output_path) {
  std::FILE* err = m_diag.err;
  // The input is opened first, so that a missing input leaves no empty file.
  std::FILE* input = std::fopen(input_path, "rb");
  if (input == nullptr) {
    std::fprintf(err, "Cannot open input file %s\n", input_path);
    return false;
  }
  const auto stream_buffer = std::make_unique_for_overwrite<char[]>(kOutputBufferSize);
  std::FILE* output = OpenOutputFile(output_path, stream_buffer.get());
  if (output == nullptr) {
    std::fprintf(err, "Cannot open output file %s\n", output_path);
    std::fclose(input);
    return false;
  }

  OggVorbis_File vf;
  if (ov_open(input, &vf, nullptr, 0) < 0) {
    // A failed open leaves the file with us, not with the handle.
    std::fputs("Input does not appear to be an Ogg bitstream.\n", err);
    std::fclose(input);
    std::fclose(output);
    return false;
  }

  const vorbis_comment* comment = ov_comment(&vf, -1);
  const vorbis_info* info = ov_info(&vf, -1);
  const auto total = static_cast<std::int32_t>(ov_pcm_total(&vf, -1));
  for (int i = 0; i < comment->comments; ++i) std::fprintf(err, "%s\n", comment->user_comments[i]);
  std::fprintf(m_diag.out, "%s\n", input_path);
  std::fprintf(err, "\nBitstream is %d channel, %ldHz\n", info->channels, info->rate);
  std::fprintf(err, "\nDecoded length: %ld samples\n", static_cast<long>(total));
  std::fprintf(err, "Encoded by: %s\n\n", comment->vendor ? comment->vendor : "");

  WriteWavHeader(output, static_cast<std::int32_t>(info->rate), info->channels);

  // Holes and damaged pages come back as negative results: skip them and go on.
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, g_pcm, sizeof g_pcm, 0, 2, 1, &section);
    if (n == 0) break;
    if (n > 0) std::fwrite(g_pcm, 1, static_cast<std::size_t>(n), output);
  }

  ov_clear(&vf);  // closes the input
  std::fputs("Done.\n", err);
  std::fclose(output);
  return true;
}

}  // namespace cdsetup::audio
