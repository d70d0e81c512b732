#include "encoderkit/speex_encoder.h"

#include <speex/speex.h>
#include <speex/speex_header.h>
#include <speex/speex_stereo.h>

#include <algorithm>
#include <cstdint>

#include "encoderkit/ogg_pages.h"

namespace cdsetup::encoderkit {

namespace {

void AppendLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

const int kModeRates[] = {8000, 16000, 32000};

std::string HeaderPacket(const SpeexOptions& options, int frame_size) {
  const SpeexMode* mode = speex_lib_get_mode(options.mode);
  const int rate = options.rate != 0 ? options.rate : kModeRates[options.mode];
  SpeexHeader header;
  speex_init_header(&header, rate, 1, mode);
  header.nb_channels = options.channels;
  header.frame_size = frame_size;
  header.vbr = options.vbr ? 1 : 0;
  header.frames_per_packet = options.frames_per_packet;
  header.extra_headers = options.extra_header_packets;
  const SpeexHeaderOverrides& o = options.header;
  if (o.rate) header.rate = *o.rate;
  if (o.mode) header.mode = *o.mode;
  if (o.speex_version_id) header.speex_version_id = *o.speex_version_id;
  if (o.mode_bitstream_version) header.mode_bitstream_version = *o.mode_bitstream_version;
  if (o.nb_channels) header.nb_channels = *o.nb_channels;
  if (o.frames_per_packet) header.frames_per_packet = *o.frames_per_packet;
  if (o.extra_headers) header.extra_headers = *o.extra_headers;
  if (o.vbr) header.vbr = *o.vbr;
  int size = 0;
  char* bytes = speex_header_to_packet(&header, &size);
  std::string packet(bytes, static_cast<std::size_t>(size));
  speex_header_free(bytes);
  return packet;
}

}  // namespace

std::string SpeexCommentPacket(const std::string& vendor,
                               const std::vector<std::string>& comments) {
  std::string out;
  AppendLe32(out, static_cast<std::uint32_t>(vendor.size()));
  out += vendor;
  AppendLe32(out, static_cast<std::uint32_t>(comments.size()));
  for (const std::string& c : comments) {
    AppendLe32(out, static_cast<std::uint32_t>(c.size()));
    out += c;
  }
  return out;
}

SpeexPackets EncodeSpeexPackets(const SpeexOptions& options, const std::vector<float>& samples) {
  SpeexPackets out;
  void* encoder = speex_encoder_init(speex_lib_get_mode(options.mode));
  speex_encoder_ctl(encoder, SPEEX_GET_FRAME_SIZE, &out.frame_size);
  int quality = options.quality;
  speex_encoder_ctl(encoder, SPEEX_SET_QUALITY, &quality);
  if (options.vbr) {
    int on = 1;
    speex_encoder_ctl(encoder, SPEEX_SET_VBR, &on);
  }
  out.header = HeaderPacket(options, out.frame_size);
  out.comments = SpeexCommentPacket(options.vendor, options.comments);
  for (int i = 0; i < options.extra_header_packets; ++i) {
    out.extra_headers.push_back("extra header " + std::to_string(i));
  }

  const auto channels = static_cast<std::size_t>(options.channels);
  const auto frame = static_cast<std::size_t>(out.frame_size);
  const auto fpp = static_cast<std::size_t>(std::max(options.frames_per_packet, 1));
  const std::size_t frames_total = (samples.size() / channels + frame - 1) / frame;
  std::vector<float> buffer(frame * channels);
  SpeexBits bits;
  speex_bits_init(&bits);
  for (std::size_t f = 0; f < frames_total; f += fpp) {
    speex_bits_reset(&bits);
    for (std::size_t k = 0; k < fpp; ++k) {
      // The encoder works in 16-bit scale; a frame past the end is silence.
      const std::size_t first = (f + k) * frame * channels;
      for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = first + i < samples.size() ? samples[first + i] * 32768.0f : 0.0f;
      }
      if (channels == 2) speex_encode_stereo(buffer.data(), out.frame_size, &bits);
      speex_encode(encoder, buffer.data(), &bits);
    }
    speex_bits_insert_terminator(&bits);
    std::string packet(static_cast<std::size_t>(speex_bits_nbytes(&bits)), '\0');
    speex_bits_write(&bits, packet.data(), static_cast<int>(packet.size()));
    out.audio.push_back(std::move(packet));
  }
  speex_bits_destroy(&bits);
  speex_encoder_destroy(encoder);
  return out;
}

std::vector<std::string> FrameSpeex(const SpeexOptions& options, const SpeexPackets& packets) {
  OggStreamWriter writer(options.serial);
  writer.Add(Packet{packets.header, 0, false});
  writer.Flush();
  writer.Add(Packet{packets.comments, 0, false});
  for (const std::string& extra : packets.extra_headers) writer.Add(Packet{extra, 0, false});
  writer.Flush();
  const std::int64_t per_packet =
      static_cast<std::int64_t>(packets.frame_size) * std::max(options.frames_per_packet, 1);
  const int per_page = std::max(options.packets_per_page, 1);
  for (std::size_t i = 0; i < packets.audio.size(); ++i) {
    const bool last = i + 1 == packets.audio.size();
    writer.Add(Packet{packets.audio[i], per_packet * static_cast<std::int64_t>(i + 1), last});
    if (last || (i + 1) % static_cast<std::size_t>(per_page) == 0) writer.Flush();
  }
  writer.Flush();
  return writer.pages();
}

std::string EncodeSpeex(const SpeexOptions& options, const std::vector<float>& samples) {
  return Join(FrameSpeex(options, EncodeSpeexPackets(options, samples)));
}

}  // namespace cdsetup::encoderkit
