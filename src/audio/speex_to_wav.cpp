#include <ogg/ogg.h>
#include <speex/speex.h>
#include <speex/speex_stereo.h>

#include <bit>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "audio/audio_converter.h"
#include "audio/input_buffer.h"
#include "audio/output_file.h"
#include "audio/sample_conversion.h"
#include "audio/speex_comments.h"
#include "audio/speex_header_step.h"
#include "audio/wav_header.h"

namespace cdsetup::audio {

namespace {

// The input goes into the Ogg sync buffer in pieces of this size.
constexpr long kReadSize = 200;

// Everything one conversion holds; Finish releases it in one place.
class SpeexRun {
 public:
  SpeexRun(std::FILE* input, const char* output_path, std::FILE* err, const std::atomic<bool>* stop)
      : input_(input), output_path_(output_path), err_(err), stop_(stop) {
    ogg_sync_init(&sync_);
    speex_bits_init(&bits_);
  }

  // Reads the input to its end; stops early when the header step refused
  // the stream or the output could not be opened or written.
  void Run();
  // Patches the header, releases the decoder and the Ogg state, closes both
  // files, and says how the conversion went.
  ConversionResult Finish();

 private:
  bool HandlePacket(ogg_packet& packet);  // false ends the conversion
  bool OpenOutput();
  bool DecodeAudio(ogg_packet& packet);  // false when the output failed
  bool WriteFrame(int samples);

  std::FILE* input_;
  const char* output_path_;
  std::FILE* err_;
  const std::atomic<bool>* stop_;  // null: never asked to stop
  bool stopped_ = false;
  OutputFile output_;

  ogg_sync_state sync_;
  ogg_stream_state stream_;
  bool stream_ready_ = false;
  SpeexBits bits_;
  void* decoder_ = nullptr;
  SpeexStereoState stereo_ = {1.0f, 0.5f, 1.0f, 1.0f, 0, 0};
  SpeexStreamParams params_;

  long packet_count_ = 0;
  bool end_of_stream_ = false;
  bool refused_ = false;            // the header step said why already
  std::uint32_t sample_bytes_ = 0;  // a 32-bit count, as the header holds it

  float pcm_[kMaxFrameSamples];
};

void SpeexRun::Run() {
  for (;;) {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
      stopped_ = true;
      return;
    }
    char* buffer = ogg_sync_buffer(&sync_, kReadSize);
    if (buffer == nullptr) return;
    const std::size_t got = std::fread(buffer, 1, kReadSize, input_);
    ogg_sync_wrote(&sync_, static_cast<long>(got));

    ogg_page page;
    while (ogg_sync_pageout(&sync_, &page) == 1) {
      if (!stream_ready_) {
        ogg_stream_init(&stream_, ogg_page_serialno(&page));
        stream_ready_ = true;
      }
      // Pages of any other serial number are refused here: only the first
      // logical stream is decoded.
      ogg_stream_pagein(&stream_, &page);
      ogg_packet packet;
      while (!end_of_stream_ && ogg_stream_packetout(&stream_, &packet) == 1) {
        if (!HandlePacket(packet)) return;
        ++packet_count_;
      }
    }
    // The last, short read is processed before the end is noticed. A read
    // error would never reach the end of the file, so it ends the loop too.
    if (std::feof(input_) || std::ferror(input_)) return;
  }
}

bool SpeexRun::HandlePacket(ogg_packet& packet) {
  if (packet_count_ == 0) {
    decoder_ = ProcessSpeexHeader(packet, &stereo_, &params_, err_);
    if (decoder_ == nullptr) {
      refused_ = true;
      return false;
    }
    if (params_.frames_per_packet == 0) params_.frames_per_packet = 1;
    return OpenOutput();
  }
  if (packet_count_ == 1) {
    PrintSpeexComments(packet.packet, packet.bytes, err_);
  } else if (packet_count_ > 1 + static_cast<long long>(params_.extra_headers)) {
    return DecodeAudio(packet);
  }
  return true;
}

// Opens the output once the stream header is known; the WAV header is only
// written for a ".wav"/".WAV" name, any other name gets bare samples.
bool SpeexRun::OpenOutput() {
  if (!output_.Open(output_path_)) {
    std::fprintf(err_, "Cannot open output file %s\n", output_path_);
    return false;
  }
  if (HasWavSuffix(output_path_)) {
    return output_.Check(WriteWavHeader(output_.get(), params_.rate, params_.channels));
  }
  return true;
}

bool SpeexRun::DecodeAudio(ogg_packet& packet) {
  // The packet carrying the mark is still decoded; nothing after it is.
  if (packet.e_o_s) end_of_stream_ = true;
  const int size = packet.bytes > INT_MAX ? INT_MAX : static_cast<int>(packet.bytes);
  speex_bits_read_from(&bits_, reinterpret_cast<char*>(packet.packet), size);
  for (int frame = 0; frame < params_.frames_per_packet; ++frame) {
    const int result = speex_decode(decoder_, &bits_, pcm_);
    if (result == -1) break;
    if (result == -2) {
      std::fputs("Decoding error: corrupted stream?\n", err_);
      break;
    }
    if (speex_bits_remaining(&bits_) < 0) {
      std::fputs("Decoding overflow: corrupted stream?\n", err_);
      break;
    }
    if (params_.channels == 2) speex_decode_stereo(pcm_, params_.frame_size, &stereo_);
    if (!WriteFrame(params_.frame_size * params_.channels)) return false;
  }
  return true;
}

bool SpeexRun::WriteFrame(int samples) {
  const auto count = static_cast<std::size_t>(samples);
  // Straight into the output's buffer: every frame is whole samples, so the
  // place stays aligned for them.
  auto* out = reinterpret_cast<std::int16_t*>(output_.Reserve(sizeof(std::int16_t) * count));
  ClipAndRoundFrame(pcm_, out, count);
  if constexpr (std::endian::native == std::endian::big) {
    for (std::size_t i = 0; i < count; ++i) {
      const auto u = static_cast<std::uint16_t>(out[i]);
      out[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(u << 8 | u >> 8));
    }
  }
  output_.Commit(sizeof(std::int16_t) * count);
  sample_bytes_ += static_cast<std::uint32_t>(2 * count);
  return !output_.failed();
}

ConversionResult SpeexRun::Finish() {
  if (stopped_ && output_.is_open()) output_.Discard();
  if (output_.is_open() && !output_.failed() && HasWavSuffix(output_path_)) {
    output_.Check(FinishWavHeader(output_.get(), sample_bytes_, err_));
  }
  if (decoder_ != nullptr) {
    speex_decoder_destroy(decoder_);
  } else if (!refused_ && !stopped_) {
    std::fputs("This doesn't look like a Speex file\n", err_);
  }
  speex_bits_destroy(&bits_);
  ogg_sync_clear(&sync_);
  if (stream_ready_) ogg_stream_clear(&stream_);
  std::fclose(input_);
  if (stopped_) return ConversionResult::kStopped;
  // No usable header, or none at all: there was nothing to convert. A header
  // and no output is an output that could not be opened.
  if (decoder_ == nullptr) return ConversionResult::kNotSound;
  if (!output_.is_open()) return ConversionResult::kWriteFailed;
  if (!output_.Close()) {
    std::fprintf(err_, "Cannot write output file %s\n", output_path_);
    return ConversionResult::kWriteFailed;
  }
  return ConversionResult::kConverted;
}

}  // namespace

ConversionResult CAudioConverter::SpeexToWav(const char* input_path, const char* output_path) {
  std::FILE* input = std::fopen(input_path, "rb");
  if (input == nullptr) {
    std::fprintf(m_diag.err, "Cannot open input file %s\n", input_path);
    return ConversionResult::kNotSound;
  }
  const InputBuffer input_buffer(input);  // Finish closes the input
  SpeexRun run(input, output_path, m_diag.err, m_stop);
  run.Run();
  return run.Finish();
}

}  // namespace cdsetup::audio
