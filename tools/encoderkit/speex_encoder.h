// Encodes Ogg Speex fixtures in-process with libspeex: narrowband, wideband
// and ultra-wideband, mono or in-band stereo, any frames per packet, with
// every header field open to override so that bad headers can be made too.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace cdsetup::encoderkit {

/// Header fields written instead of what the encoder would put there.
struct SpeexHeaderOverrides {
  std::optional<int> rate;
  std::optional<int> mode;
  std::optional<int> speex_version_id;
  std::optional<int> mode_bitstream_version;
  std::optional<int> nb_channels;
  std::optional<int> frames_per_packet;
  std::optional<int> extra_headers;
  std::optional<int> vbr;
};

struct SpeexOptions {
  int mode = 0;      // 0 narrowband (8 kHz), 1 wideband (16 kHz), 2 ultra-wideband (32 kHz)
  int channels = 1;  // 2: in-band stereo
  int rate = 0;      // 0: the mode's own rate
  int frames_per_packet = 1;
  int quality = 8;
  bool vbr = false;
  int serial = 0x7370;
  std::string vendor = "cdsetup encoder kit";
  std::vector<std::string> comments;
  int extra_header_packets = 0;  // written after the comments; the header says so too
  SpeexHeaderOverrides header;
  int packets_per_page = 4;  // audio packets per page
};

/// The packets of one stream, before framing.
struct SpeexPackets {
  std::string header;
  std::string comments;
  std::vector<std::string> extra_headers;
  std::vector<std::string> audio;  // each holds frames_per_packet frames
  int frame_size = 0;              // samples per channel per frame
};

/// Encodes `samples` (interleaved, in [-1, 1]); the last packet is padded
/// with silence to whole frames.
SpeexPackets EncodeSpeexPackets(const SpeexOptions& options, const std::vector<float>& samples);

/// The packets framed as a file does it: the header on its own page, then
/// the comments and extra headers on one, then packets_per_page audio
/// packets per page, the last one marked as the end of the stream.
std::vector<std::string> FrameSpeex(const SpeexOptions& options, const SpeexPackets& packets);

/// EncodeSpeexPackets and FrameSpeex, laid end to end.
std::string EncodeSpeex(const SpeexOptions& options, const std::vector<float>& samples);

/// A comment packet: vendor length and vendor, count, then each comment.
std::string SpeexCommentPacket(const std::string& vendor, const std::vector<std::string>& comments);

}  // namespace cdsetup::encoderkit
