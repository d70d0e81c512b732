#include "audio/speex_header_step.h"

#include <speex/speex_callbacks.h>

#include <climits>
#include <cstdint>
#include <memory>

namespace cdsetup::audio {

namespace {

struct HeaderFree {
  void operator()(SpeexHeader* h) const { speex_header_free(h); }
};

// The library folds any channel count into 1 or 2 when it parses a header, so
// a three-channel stream would be decoded as if it were stereo. The count as
// stored (offset 48 of the header packet) is what must be refused.
int StoredChannelCount(const ogg_packet& packet, int parsed) {
  constexpr long kOffset = 48;
  if (packet.bytes < kOffset + 4) return parsed;
  const unsigned char* p = packet.packet + kOffset;
  const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                          static_cast<std::uint32_t>(p[2]) << 16 |
                          static_cast<std::uint32_t>(p[3]) << 24;
  return static_cast<std::int32_t>(v);
}

}  // namespace

const SpeexMode* CheckSpeexHeader(const SpeexHeader& header, std::FILE* err) {
  if (header.mode < 0 || header.mode >= SPEEX_NB_MODES) {
    std::fprintf(err, "Mode number %d does not (yet/any longer) exist in this version\n",
                 header.mode);
    return nullptr;
  }
  const SpeexMode* mode = speex_mode_list[header.mode];
  if (header.speex_version_id > 1) {
    std::fprintf(err,
                 "This file was encoded with Speex bit-stream version %d, which I don't know how "
                 "to decode\n",
                 header.speex_version_id);
    return nullptr;
  }
  if (mode->bitstream_version < header.mode_bitstream_version) {
    std::fputs(
        "The file was encoded with a newer version of Speex. You need to upgrade in order to "
        "play it.\n",
        err);
    return nullptr;
  }
  if (mode->bitstream_version > header.mode_bitstream_version) {
    std::fputs(
        "The file was encoded with an older version of Speex. You would need to downgrade the "
        "version in order to play it.\n",
        err);
    return nullptr;
  }
  return mode;
}

void* ProcessSpeexHeader(const ogg_packet& packet, SpeexStereoState* stereo,
                         SpeexStreamParams* params, std::FILE* err) {
  const int size = packet.bytes > INT_MAX ? INT_MAX : static_cast<int>(packet.bytes);
  std::unique_ptr<SpeexHeader, HeaderFree> header(
      speex_packet_to_header(reinterpret_cast<char*>(packet.packet), size));
  if (!header) {
    std::fputs("Cannot read header\n", err);
    return nullptr;
  }
  const SpeexMode* mode = CheckSpeexHeader(*header, err);
  if (mode == nullptr) return nullptr;

  void* state = speex_decoder_init(mode);
  if (state == nullptr) {
    std::fputs("Decoder initialization failed.\n", err);
    return nullptr;
  }
  int enhance = 1;
  speex_decoder_ctl(state, SPEEX_SET_ENH, &enhance);
  int frame_size = 0;
  speex_decoder_ctl(state, SPEEX_GET_FRAME_SIZE, &frame_size);

  // Only one decoded channel is ever expanded, into two; and a frame must fit
  // the fixed sample buffers.
  const int channels = StoredChannelCount(packet, header->nb_channels);
  if (channels != 1 && channels != 2) {
    std::fprintf(err, "Cannot decode a stream of %d channels\n", channels);
    speex_decoder_destroy(state);
    return nullptr;
  }
  if (frame_size <= 0 || frame_size > kMaxFrameSamples / channels) {
    std::fprintf(err, "Cannot decode frames of %d samples\n", frame_size);
    speex_decoder_destroy(state);
    return nullptr;
  }

  SpeexCallback callback{};
  callback.callback_id = SPEEX_INBAND_STEREO;
  callback.func = speex_std_stereo_request_handler;
  callback.data = stereo;
  speex_decoder_ctl(state, SPEEX_SET_HANDLER, &callback);

  int rate = header->rate;
  speex_decoder_ctl(state, SPEEX_SET_SAMPLING_RATE, &rate);

  params->frame_size = frame_size;
  params->rate = header->rate;
  params->frames_per_packet = header->frames_per_packet;
  params->channels = channels;
  params->extra_headers = header->extra_headers;

  std::fprintf(err, "Decoding %d Hz audio using %s mode", params->rate, mode->modeName);
  std::fputs(channels == 1 ? " (mono " : " (stereo", err);
  std::fputs(header->vbr ? ", VBR)\n" : ")\n", err);
  return state;
}

}  // namespace cdsetup::audio
